file(REMOVE_RECURSE
  "../../bin/rings_and_clicks"
  "../../bin/rings_and_clicks.pdb"
  "CMakeFiles/rings_and_clicks.dir/main.cpp.o"
  "CMakeFiles/rings_and_clicks.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/rings_and_clicks.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
