file(REMOVE_RECURSE
  "../bin/easel-replay"
  "../bin/easel-replay.pdb"
  "CMakeFiles/easel-replay.dir/driver.cpp.o"
  "CMakeFiles/easel-replay.dir/driver.cpp.o.d"
  "CMakeFiles/easel-replay.dir/key_names.cpp.o"
  "CMakeFiles/easel-replay.dir/key_names.cpp.o.d"
  "CMakeFiles/easel-replay.dir/program.cpp.o"
  "CMakeFiles/easel-replay.dir/program.cpp.o.d"
  "CMakeFiles/easel-replay.dir/protocol.cpp.o"
  "CMakeFiles/easel-replay.dir/protocol.cpp.o.d"
  "CMakeFiles/easel-replay.dir/script.cpp.o"
  "CMakeFiles/easel-replay.dir/script.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/easel-replay.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
