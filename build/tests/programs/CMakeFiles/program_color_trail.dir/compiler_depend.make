# Empty compiler generated dependencies file for program_color_trail.
# This may be replaced when dependencies are built.
