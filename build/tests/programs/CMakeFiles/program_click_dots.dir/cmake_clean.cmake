file(REMOVE_RECURSE
  "../../bin/program_click_dots"
  "../../bin/program_click_dots.pdb"
  "CMakeFiles/program_click_dots.dir/click_dots.cpp.o"
  "CMakeFiles/program_click_dots.dir/click_dots.cpp.o.d"
  "program_click_dots[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_click_dots.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
