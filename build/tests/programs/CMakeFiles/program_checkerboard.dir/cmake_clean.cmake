file(REMOVE_RECURSE
  "../../bin/program_checkerboard"
  "../../bin/program_checkerboard.pdb"
  "CMakeFiles/program_checkerboard.dir/checkerboard.cpp.o"
  "CMakeFiles/program_checkerboard.dir/checkerboard.cpp.o.d"
  "program_checkerboard[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_checkerboard.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
