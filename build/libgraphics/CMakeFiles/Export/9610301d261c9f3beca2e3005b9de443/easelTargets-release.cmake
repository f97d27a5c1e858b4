#----------------------------------------------------------------
# Generated CMake target import file for configuration "Release".
#----------------------------------------------------------------

# Commands may need to know the format version.
set(CMAKE_IMPORT_FILE_VERSION 1)

# Import target "easel::graphics" for configuration "Release"
set_property(TARGET easel::graphics APPEND PROPERTY IMPORTED_CONFIGURATIONS RELEASE)
set_target_properties(easel::graphics PROPERTIES
  IMPORTED_LINK_INTERFACE_LANGUAGES_RELEASE "CXX"
  IMPORTED_LOCATION_RELEASE "${_IMPORT_PREFIX}/lib/libeasel-graphics.a"
  )

list(APPEND _cmake_import_check_targets easel::graphics )
list(APPEND _cmake_import_check_files_for_easel::graphics "${_IMPORT_PREFIX}/lib/libeasel-graphics.a" )

# Commands beyond this point should not need to know the version.
set(CMAKE_IMPORT_FILE_VERSION)
