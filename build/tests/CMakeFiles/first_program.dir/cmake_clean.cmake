file(REMOVE_RECURSE
  "../bin/first_program"
  "../bin/first_program.pdb"
  "CMakeFiles/first_program.dir/support/first_program.cpp.o"
  "CMakeFiles/first_program.dir/support/first_program.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/first_program.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
