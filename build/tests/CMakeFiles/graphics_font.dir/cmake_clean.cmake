file(REMOVE_RECURSE
  "../bin/graphics_font"
  "../bin/graphics_font.pdb"
  "CMakeFiles/graphics_font.dir/graphics_font.cpp.o"
  "CMakeFiles/graphics_font.dir/graphics_font.cpp.o.d"
  "CMakeFiles/graphics_font.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_font.dir/support/surface_probe.cpp.o.d"
  "graphics_font[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_font.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
