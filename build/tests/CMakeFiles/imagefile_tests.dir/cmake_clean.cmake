file(REMOVE_RECURSE
  "../bin/imagefile_tests"
  "../bin/imagefile_tests.pdb"
  "CMakeFiles/imagefile_tests.dir/imagefile/image_test.cpp.o"
  "CMakeFiles/imagefile_tests.dir/imagefile/image_test.cpp.o.d"
  "imagefile_tests[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/imagefile_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
