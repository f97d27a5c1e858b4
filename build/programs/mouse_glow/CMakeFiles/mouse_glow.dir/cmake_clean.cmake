file(REMOVE_RECURSE
  "../../bin/mouse_glow"
  "../../bin/mouse_glow.pdb"
  "CMakeFiles/mouse_glow.dir/main.cpp.o"
  "CMakeFiles/mouse_glow.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/mouse_glow.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
