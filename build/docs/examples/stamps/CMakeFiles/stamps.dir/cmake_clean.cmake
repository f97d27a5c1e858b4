file(REMOVE_RECURSE
  "../../../bin/stamps"
  "../../../bin/stamps.pdb"
  "CMakeFiles/stamps.dir/main.cpp.o"
  "CMakeFiles/stamps.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/stamps.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
