file(REMOVE_RECURSE
  "../bin/easel-replay-hook.pdb"
  "../bin/easel-replay-hook.so"
  "CMakeFiles/easel_replay_hook.dir/hook.cpp.o"
  "CMakeFiles/easel_replay_hook.dir/hook.cpp.o.d"
  "CMakeFiles/easel_replay_hook.dir/protocol.cpp.o"
  "CMakeFiles/easel_replay_hook.dir/protocol.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/easel_replay_hook.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
