file(REMOVE_RECURSE
  "../bin/graphics_canvas"
  "../bin/graphics_canvas.pdb"
  "CMakeFiles/graphics_canvas.dir/graphics_canvas.cpp.o"
  "CMakeFiles/graphics_canvas.dir/graphics_canvas.cpp.o.d"
  "CMakeFiles/graphics_canvas.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_canvas.dir/support/surface_probe.cpp.o.d"
  "graphics_canvas[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_canvas.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
