
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/programs/diagonal_gradient.cpp" "tests/programs/CMakeFiles/program_diagonal_gradient.dir/diagonal_gradient.cpp.o" "gcc" "tests/programs/CMakeFiles/program_diagonal_gradient.dir/diagonal_gradient.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/tests/replay/CMakeFiles/easel_replay_test_support.dir/DependInfo.cmake"
  "/work/main/build/imagefile/CMakeFiles/easel_image.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
