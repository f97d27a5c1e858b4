
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/replay/driver.cpp" "replay/CMakeFiles/easel-replay.dir/driver.cpp.o" "gcc" "replay/CMakeFiles/easel-replay.dir/driver.cpp.o.d"
  "/work/main/replay/key_names.cpp" "replay/CMakeFiles/easel-replay.dir/key_names.cpp.o" "gcc" "replay/CMakeFiles/easel-replay.dir/key_names.cpp.o.d"
  "/work/main/replay/program.cpp" "replay/CMakeFiles/easel-replay.dir/program.cpp.o" "gcc" "replay/CMakeFiles/easel-replay.dir/program.cpp.o.d"
  "/work/main/replay/protocol.cpp" "replay/CMakeFiles/easel-replay.dir/protocol.cpp.o" "gcc" "replay/CMakeFiles/easel-replay.dir/protocol.cpp.o.d"
  "/work/main/replay/script.cpp" "replay/CMakeFiles/easel-replay.dir/script.cpp.o" "gcc" "replay/CMakeFiles/easel-replay.dir/script.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/imagefile/CMakeFiles/easel_image.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
