file(REMOVE_RECURSE
  "../../bin/orbit_sketch"
  "../../bin/orbit_sketch.pdb"
  "CMakeFiles/orbit_sketch.dir/main.cpp.o"
  "CMakeFiles/orbit_sketch.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orbit_sketch.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
