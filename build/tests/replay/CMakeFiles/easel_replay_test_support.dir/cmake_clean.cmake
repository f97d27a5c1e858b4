file(REMOVE_RECURSE
  "CMakeFiles/easel_replay_test_support.dir/__/support/replay_session.cpp.o"
  "CMakeFiles/easel_replay_test_support.dir/__/support/replay_session.cpp.o.d"
  "libeasel_replay_test_support.a"
  "libeasel_replay_test_support.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/easel_replay_test_support.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
