# CMake generated Testfile for 
# Source directory: /work/main/tests
# Build directory: /work/main/build/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/main/build/tests/graphics_canvas[1]_include.cmake")
include("/work/main/build/tests/graphics_input[1]_include.cmake")
include("/work/main/build/tests/graphics_commands[1]_include.cmake")
include("/work/main/build/tests/graphics_keytbl[1]_include.cmake")
include("/work/main/build/tests/graphics_text[1]_include.cmake")
include("/work/main/build/tests/graphics_offscreen[1]_include.cmake")
include("/work/main/build/tests/graphics_font[1]_include.cmake")
include("/work/main/build/tests/imagefile_tests[1]_include.cmake")
add_test([=[consumer.installed_package]=] "sh" "/work/main/tests/consumer/check.sh" "/work/main/build")
set_tests_properties([=[consumer.installed_package]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;42;add_test;/work/main/tests/CMakeLists.txt;0;")
subdirs("replay")
subdirs("programs")
subdirs("e2e")
