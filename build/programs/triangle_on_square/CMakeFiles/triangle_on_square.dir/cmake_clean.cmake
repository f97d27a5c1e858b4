file(REMOVE_RECURSE
  "../../bin/triangle_on_square"
  "../../bin/triangle_on_square.pdb"
  "CMakeFiles/triangle_on_square.dir/main.cpp.o"
  "CMakeFiles/triangle_on_square.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/triangle_on_square.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
