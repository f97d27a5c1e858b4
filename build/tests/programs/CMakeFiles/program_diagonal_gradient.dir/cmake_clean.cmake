file(REMOVE_RECURSE
  "../../bin/program_diagonal_gradient"
  "../../bin/program_diagonal_gradient.pdb"
  "CMakeFiles/program_diagonal_gradient.dir/diagonal_gradient.cpp.o"
  "CMakeFiles/program_diagonal_gradient.dir/diagonal_gradient.cpp.o.d"
  "program_diagonal_gradient[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/program_diagonal_gradient.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
