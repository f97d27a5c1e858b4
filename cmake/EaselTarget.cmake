# Settings every easel target shares, applied per target.
function(easel_target target)
  target_compile_features(${target} PRIVATE cxx_std_17)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(EASEL_SANITIZE)
    # GCC leaves float-cast-overflow out of undefined.
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined,float-cast-overflow
                                             -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined,float-cast-overflow)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${EASEL_BIN_DIR})
  endif()
endfunction()

# A program on the library: one directory, one main.cpp (or SOURCE, a main file elsewhere).
function(easel_program name)
  cmake_parse_arguments(ARG "" "SOURCE" "" ${ARGN})
  if(NOT ARG_SOURCE)
    set(ARG_SOURCE main.cpp)
  endif()
  add_executable(${name} ${ARG_SOURCE})
  target_link_libraries(${name} PRIVATE easel::graphics)
  easel_target(${name})
  if(EMSCRIPTEN)
    set_target_properties(${name} PROPERTIES SUFFIX .html)
  endif()
endfunction()

# The names of the programs under DIR: every subdirectory with a main.cpp, or with a CMakeLists.txt
# that says how it is built. The glob is checked again at every build, so a new directory is picked
# up without running cmake by hand.
function(easel_list_programs out dir)
  file(GLOB found CONFIGURE_DEPENDS RELATIVE ${dir} ${dir}/*/main.cpp ${dir}/*/CMakeLists.txt)
  set(names "")
  foreach(file IN LISTS found)
    get_filename_component(name ${file} DIRECTORY)
    list(APPEND names ${name})
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()
