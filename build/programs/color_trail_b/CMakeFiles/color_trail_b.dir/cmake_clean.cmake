file(REMOVE_RECURSE
  "../../bin/color_trail_b"
  "../../bin/color_trail_b.pdb"
  "CMakeFiles/color_trail_b.dir/__/color_trail/main.cpp.o"
  "CMakeFiles/color_trail_b.dir/__/color_trail/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/color_trail_b.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
