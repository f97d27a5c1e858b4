# CMake generated Testfile for 
# Source directory: /work/main/tests/programs
# Build directory: /work/main/build/tests/programs
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/main/build/tests/programs/program_spark_fountain[1]_include.cmake")
include("/work/main/build/tests/programs/program_orbit_sketch[1]_include.cmake")
include("/work/main/build/tests/programs/program_color_trail[1]_include.cmake")
include("/work/main/build/tests/programs/program_color_orbit[1]_include.cmake")
include("/work/main/build/tests/programs/program_color_trail_b[1]_include.cmake")
include("/work/main/build/tests/programs/program_triangle_on_square[1]_include.cmake")
include("/work/main/build/tests/programs/program_rings_and_clicks[1]_include.cmake")
include("/work/main/build/tests/programs/program_shaded_triangles[1]_include.cmake")
include("/work/main/build/tests/programs/program_checkerboard[1]_include.cmake")
include("/work/main/build/tests/programs/program_click_polyline[1]_include.cmake")
include("/work/main/build/tests/programs/program_mouse_trail[1]_include.cmake")
include("/work/main/build/tests/programs/program_relative_triangle[1]_include.cmake")
include("/work/main/build/tests/programs/program_sine_wave[1]_include.cmake")
include("/work/main/build/tests/programs/program_diagonal_gradient[1]_include.cmake")
include("/work/main/build/tests/programs/program_mouse_glow[1]_include.cmake")
include("/work/main/build/tests/programs/program_click_dots[1]_include.cmake")
