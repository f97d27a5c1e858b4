file(REMOVE_RECURSE
  "../../bin/program_orbit_sketch"
  "../../bin/program_orbit_sketch.pdb"
  "CMakeFiles/program_orbit_sketch.dir/orbit_sketch.cpp.o"
  "CMakeFiles/program_orbit_sketch.dir/orbit_sketch.cpp.o.d"
  "program_orbit_sketch[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_orbit_sketch.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
