# Empty compiler generated dependencies file for program_triangle_on_square.
# This may be replaced when dependencies are built.
