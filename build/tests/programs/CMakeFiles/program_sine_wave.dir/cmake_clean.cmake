file(REMOVE_RECURSE
  "../../bin/program_sine_wave"
  "../../bin/program_sine_wave.pdb"
  "CMakeFiles/program_sine_wave.dir/sine_wave.cpp.o"
  "CMakeFiles/program_sine_wave.dir/sine_wave.cpp.o.d"
  "program_sine_wave[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_sine_wave.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
