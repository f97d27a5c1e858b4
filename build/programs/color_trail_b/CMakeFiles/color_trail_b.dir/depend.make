# Empty dependencies file for color_trail_b.
# This may be replaced when dependencies are built.
