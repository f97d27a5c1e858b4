file(REMOVE_RECURSE
  "../../bin/mouse_trail"
  "../../bin/mouse_trail.pdb"
  "CMakeFiles/mouse_trail.dir/main.cpp.o"
  "CMakeFiles/mouse_trail.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/mouse_trail.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
