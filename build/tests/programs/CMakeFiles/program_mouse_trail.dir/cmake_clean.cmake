file(REMOVE_RECURSE
  "../../bin/program_mouse_trail"
  "../../bin/program_mouse_trail.pdb"
  "CMakeFiles/program_mouse_trail.dir/mouse_trail.cpp.o"
  "CMakeFiles/program_mouse_trail.dir/mouse_trail.cpp.o.d"
  "program_mouse_trail[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_mouse_trail.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
