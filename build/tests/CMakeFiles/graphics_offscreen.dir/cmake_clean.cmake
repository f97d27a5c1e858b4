file(REMOVE_RECURSE
  "../bin/graphics_offscreen"
  "../bin/graphics_offscreen.pdb"
  "CMakeFiles/graphics_offscreen.dir/graphics_offscreen.cpp.o"
  "CMakeFiles/graphics_offscreen.dir/graphics_offscreen.cpp.o.d"
  "CMakeFiles/graphics_offscreen.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_offscreen.dir/support/surface_probe.cpp.o.d"
  "graphics_offscreen[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_offscreen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
