file(REMOVE_RECURSE
  "../bin/graphics_commands"
  "../bin/graphics_commands.pdb"
  "CMakeFiles/graphics_commands.dir/graphics_commands.cpp.o"
  "CMakeFiles/graphics_commands.dir/graphics_commands.cpp.o.d"
  "CMakeFiles/graphics_commands.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_commands.dir/support/surface_probe.cpp.o.d"
  "graphics_commands[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_commands.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
