file(REMOVE_RECURSE
  "../../bin/replay_tests"
  "../../bin/replay_tests.pdb"
  "CMakeFiles/replay_tests.dir/replay_events_test.cpp.o"
  "CMakeFiles/replay_tests.dir/replay_events_test.cpp.o.d"
  "CMakeFiles/replay_tests.dir/replay_run_test.cpp.o"
  "CMakeFiles/replay_tests.dir/replay_run_test.cpp.o.d"
  "CMakeFiles/replay_tests.dir/replay_timer_test.cpp.o"
  "CMakeFiles/replay_tests.dir/replay_timer_test.cpp.o.d"
  "replay_tests[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/replay_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
