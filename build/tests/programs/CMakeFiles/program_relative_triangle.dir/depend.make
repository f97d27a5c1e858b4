# Empty dependencies file for program_relative_triangle.
# This may be replaced when dependencies are built.
