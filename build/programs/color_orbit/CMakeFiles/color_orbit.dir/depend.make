# Empty dependencies file for color_orbit.
# This may be replaced when dependencies are built.
