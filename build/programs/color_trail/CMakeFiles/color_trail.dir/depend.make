# Empty dependencies file for color_trail.
# This may be replaced when dependencies are built.
