file(REMOVE_RECURSE
  "../../bin/program_rings_and_clicks"
  "../../bin/program_rings_and_clicks.pdb"
  "CMakeFiles/program_rings_and_clicks.dir/rings_and_clicks.cpp.o"
  "CMakeFiles/program_rings_and_clicks.dir/rings_and_clicks.cpp.o.d"
  "program_rings_and_clicks[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_rings_and_clicks.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
