file(REMOVE_RECURSE
  "../../bin/diagonal_gradient"
  "../../bin/diagonal_gradient.pdb"
  "CMakeFiles/diagonal_gradient.dir/main.cpp.o"
  "CMakeFiles/diagonal_gradient.dir/main.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/diagonal_gradient.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
