file(REMOVE_RECURSE
  "../bin/font_sheet"
  "../bin/font_sheet.pdb"
  "CMakeFiles/font_sheet.dir/font_sheet.cpp.o"
  "CMakeFiles/font_sheet.dir/font_sheet.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/font_sheet.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
