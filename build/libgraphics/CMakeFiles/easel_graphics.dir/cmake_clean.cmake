file(REMOVE_RECURSE
  "CMakeFiles/easel_graphics.dir/graphics.cpp.o"
  "CMakeFiles/easel_graphics.dir/graphics.cpp.o.d"
  "generated/charfaces.inc"
  "libeasel-graphics.a"
  "libeasel-graphics.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/easel_graphics.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
