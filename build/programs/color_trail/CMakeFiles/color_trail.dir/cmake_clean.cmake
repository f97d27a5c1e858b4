file(REMOVE_RECURSE
  "../../bin/color_trail"
  "../../bin/color_trail.pdb"
  "CMakeFiles/color_trail.dir/main.cpp.o"
  "CMakeFiles/color_trail.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/color_trail.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
