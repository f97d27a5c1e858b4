file(REMOVE_RECURSE
  "../../bin/program_triangle_on_square"
  "../../bin/program_triangle_on_square.pdb"
  "CMakeFiles/program_triangle_on_square.dir/triangle_on_square.cpp.o"
  "CMakeFiles/program_triangle_on_square.dir/triangle_on_square.cpp.o.d"
  "program_triangle_on_square[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_triangle_on_square.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
