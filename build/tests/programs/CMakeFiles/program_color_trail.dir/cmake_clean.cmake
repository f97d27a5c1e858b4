file(REMOVE_RECURSE
  "../../bin/program_color_trail"
  "../../bin/program_color_trail.pdb"
  "CMakeFiles/program_color_trail.dir/color_trail.cpp.o"
  "CMakeFiles/program_color_trail.dir/color_trail.cpp.o.d"
  "program_color_trail[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_color_trail.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
