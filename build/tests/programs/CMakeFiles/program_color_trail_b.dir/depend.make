# Empty dependencies file for program_color_trail_b.
# This may be replaced when dependencies are built.
