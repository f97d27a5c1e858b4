file(REMOVE_RECURSE
  "../../bin/program_mouse_glow"
  "../../bin/program_mouse_glow.pdb"
  "CMakeFiles/program_mouse_glow.dir/mouse_glow.cpp.o"
  "CMakeFiles/program_mouse_glow.dir/mouse_glow.cpp.o.d"
  "program_mouse_glow[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_mouse_glow.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
