file(REMOVE_RECURSE
  "../../bin/click_dots"
  "../../bin/click_dots.pdb"
  "CMakeFiles/click_dots.dir/main.cpp.o"
  "CMakeFiles/click_dots.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/click_dots.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
