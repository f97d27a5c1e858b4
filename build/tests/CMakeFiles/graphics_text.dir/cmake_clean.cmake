file(REMOVE_RECURSE
  "../bin/graphics_text"
  "../bin/graphics_text.pdb"
  "CMakeFiles/graphics_text.dir/graphics_text.cpp.o"
  "CMakeFiles/graphics_text.dir/graphics_text.cpp.o.d"
  "CMakeFiles/graphics_text.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_text.dir/support/surface_probe.cpp.o.d"
  "graphics_text[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_text.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
