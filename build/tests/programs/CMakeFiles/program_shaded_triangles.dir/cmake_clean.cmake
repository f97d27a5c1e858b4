file(REMOVE_RECURSE
  "../../bin/program_shaded_triangles"
  "../../bin/program_shaded_triangles.pdb"
  "CMakeFiles/program_shaded_triangles.dir/shaded_triangles.cpp.o"
  "CMakeFiles/program_shaded_triangles.dir/shaded_triangles.cpp.o.d"
  "program_shaded_triangles[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_shaded_triangles.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
