file(REMOVE_RECURSE
  "../../bin/program_color_trail_b"
  "../../bin/program_color_trail_b.pdb"
  "CMakeFiles/program_color_trail_b.dir/color_trail_b.cpp.o"
  "CMakeFiles/program_color_trail_b.dir/color_trail_b.cpp.o.d"
  "program_color_trail_b[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_color_trail_b.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
