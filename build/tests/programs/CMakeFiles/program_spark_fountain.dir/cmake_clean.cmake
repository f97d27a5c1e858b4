file(REMOVE_RECURSE
  "../../bin/program_spark_fountain"
  "../../bin/program_spark_fountain.pdb"
  "CMakeFiles/program_spark_fountain.dir/spark_fountain.cpp.o"
  "CMakeFiles/program_spark_fountain.dir/spark_fountain.cpp.o.d"
  "program_spark_fountain[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_spark_fountain.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
