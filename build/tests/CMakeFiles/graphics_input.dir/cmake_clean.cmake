file(REMOVE_RECURSE
  "../bin/graphics_input"
  "../bin/graphics_input.pdb"
  "CMakeFiles/graphics_input.dir/graphics_input.cpp.o"
  "CMakeFiles/graphics_input.dir/graphics_input.cpp.o.d"
  "CMakeFiles/graphics_input.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_input.dir/support/surface_probe.cpp.o.d"
  "graphics_input[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_input.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
