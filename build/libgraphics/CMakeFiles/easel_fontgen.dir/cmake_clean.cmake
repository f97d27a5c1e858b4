file(REMOVE_RECURSE
  "../bin/easel_fontgen"
  "../bin/easel_fontgen.pdb"
  "CMakeFiles/easel_fontgen.dir/fontgen.cpp.o"
  "CMakeFiles/easel_fontgen.dir/fontgen.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/easel_fontgen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
