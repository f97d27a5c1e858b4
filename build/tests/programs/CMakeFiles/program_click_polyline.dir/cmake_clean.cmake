file(REMOVE_RECURSE
  "../../bin/program_click_polyline"
  "../../bin/program_click_polyline.pdb"
  "CMakeFiles/program_click_polyline.dir/click_polyline.cpp.o"
  "CMakeFiles/program_click_polyline.dir/click_polyline.cpp.o.d"
  "program_click_polyline[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_click_polyline.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
