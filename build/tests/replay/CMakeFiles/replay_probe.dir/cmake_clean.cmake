file(REMOVE_RECURSE
  "../../bin/replay_probe"
  "../../bin/replay_probe.pdb"
  "CMakeFiles/replay_probe.dir/replay_probe.cpp.o"
  "CMakeFiles/replay_probe.dir/replay_probe.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/replay_probe.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
