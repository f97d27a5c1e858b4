# Settings every easel target shares, applied per target: easel_target(<target> [UNINSTRUMENTED]).
# UNINSTRUMENTED leaves the sanitizers out (for code loaded into programs that may lack their runtime).
function(easel_target target)
  cmake_parse_arguments(ARG "UNINSTRUMENTED" "" "" ${ARGN})
  target_compile_features(${target} PRIVATE cxx_std_17)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(EASEL_SANITIZE AND NOT ARG_UNINSTRUMENTED)
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

# easel_executable(<name> [EXCLUDE_FROM_ALL] <sources...> [LIBS <targets...>]): an executable with
# the shared settings, linked privately to LIBS.
function(easel_executable name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  easel_target(${name})
endfunction()

# A program on the library: one directory, one main.cpp (or SOURCE, a main file elsewhere).
function(easel_program name)
  cmake_parse_arguments(ARG "" "SOURCE" "" ${ARGN})
  if(NOT ARG_SOURCE)
    set(ARG_SOURCE main.cpp)
  endif()
  easel_executable(${name} ${ARG_SOURCE} LIBS easel::graphics)
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
