file(REMOVE_RECURSE
  "../../bin/relative_triangle"
  "../../bin/relative_triangle.pdb"
  "CMakeFiles/relative_triangle.dir/main.cpp.o"
  "CMakeFiles/relative_triangle.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/relative_triangle.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
