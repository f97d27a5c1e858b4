file(REMOVE_RECURSE
  "../../bin/shaded_triangles"
  "../../bin/shaded_triangles.pdb"
  "CMakeFiles/shaded_triangles.dir/main.cpp.o"
  "CMakeFiles/shaded_triangles.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/shaded_triangles.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
