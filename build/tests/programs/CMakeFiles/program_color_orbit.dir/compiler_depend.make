# Empty compiler generated dependencies file for program_color_orbit.
# This may be replaced when dependencies are built.
