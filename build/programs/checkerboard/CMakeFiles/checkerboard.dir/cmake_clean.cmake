file(REMOVE_RECURSE
  "../../bin/checkerboard"
  "../../bin/checkerboard.pdb"
  "CMakeFiles/checkerboard.dir/main.cpp.o"
  "CMakeFiles/checkerboard.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/checkerboard.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
