# Empty compiler generated dependencies file for program_mouse_trail.
# This may be replaced when dependencies are built.
