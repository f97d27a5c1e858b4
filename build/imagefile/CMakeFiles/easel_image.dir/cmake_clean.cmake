file(REMOVE_RECURSE
  "CMakeFiles/easel_image.dir/image.cpp.o"
  "CMakeFiles/easel_image.dir/image.cpp.o.d"
  "libeasel_image.a"
  "libeasel_image.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/easel_image.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
