file(REMOVE_RECURSE
  "../../bin/spark_fountain"
  "../../bin/spark_fountain.pdb"
  "CMakeFiles/spark_fountain.dir/main.cpp.o"
  "CMakeFiles/spark_fountain.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/spark_fountain.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
