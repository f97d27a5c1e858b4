file(REMOVE_RECURSE
  "../../bin/program_relative_triangle"
  "../../bin/program_relative_triangle.pdb"
  "CMakeFiles/program_relative_triangle.dir/relative_triangle.cpp.o"
  "CMakeFiles/program_relative_triangle.dir/relative_triangle.cpp.o.d"
  "program_relative_triangle[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_relative_triangle.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
