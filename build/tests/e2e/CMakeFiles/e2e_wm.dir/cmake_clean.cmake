file(REMOVE_RECURSE
  "../../bin/e2e_wm"
  "../../bin/e2e_wm.pdb"
  "CMakeFiles/e2e_wm.dir/e2e_wm.cpp.o"
  "CMakeFiles/e2e_wm.dir/e2e_wm.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/e2e_wm.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
