file(REMOVE_RECURSE
  "../../bin/program_color_orbit"
  "../../bin/program_color_orbit.pdb"
  "CMakeFiles/program_color_orbit.dir/color_orbit.cpp.o"
  "CMakeFiles/program_color_orbit.dir/color_orbit.cpp.o.d"
  "program_color_orbit[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_color_orbit.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
