file(REMOVE_RECURSE
  "CMakeFiles/easel_charfaces"
  "generated/charfaces.inc"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/easel_charfaces.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
