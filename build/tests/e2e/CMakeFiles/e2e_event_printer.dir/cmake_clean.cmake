file(REMOVE_RECURSE
  "../../bin/e2e_event_printer"
  "../../bin/e2e_event_printer.pdb"
  "CMakeFiles/e2e_event_printer.dir/e2e_event_printer.cpp.o"
  "CMakeFiles/e2e_event_printer.dir/e2e_event_printer.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/e2e_event_printer.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
