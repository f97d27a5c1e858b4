file(REMOVE_RECURSE
  "../../bin/click_polyline"
  "../../bin/click_polyline.pdb"
  "CMakeFiles/click_polyline.dir/main.cpp.o"
  "CMakeFiles/click_polyline.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/click_polyline.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
