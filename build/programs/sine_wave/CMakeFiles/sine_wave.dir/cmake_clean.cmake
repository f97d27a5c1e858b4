file(REMOVE_RECURSE
  "../../bin/sine_wave"
  "../../bin/sine_wave.pdb"
  "CMakeFiles/sine_wave.dir/main.cpp.o"
  "CMakeFiles/sine_wave.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/sine_wave.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
