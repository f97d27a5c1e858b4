file(REMOVE_RECURSE
  "../../bin/color_orbit"
  "../../bin/color_orbit.pdb"
  "CMakeFiles/color_orbit.dir/main.cpp.o"
  "CMakeFiles/color_orbit.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/color_orbit.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
