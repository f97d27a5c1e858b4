file(REMOVE_RECURSE
  "../bin/graphics_keytbl"
  "../bin/graphics_keytbl.pdb"
  "CMakeFiles/graphics_keytbl.dir/graphics_keytbl.cpp.o"
  "CMakeFiles/graphics_keytbl.dir/graphics_keytbl.cpp.o.d"
  "CMakeFiles/graphics_keytbl.dir/support/surface_probe.cpp.o"
  "CMakeFiles/graphics_keytbl.dir/support/surface_probe.cpp.o.d"
  "graphics_keytbl[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/graphics_keytbl.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
