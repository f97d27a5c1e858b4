# Empty dependencies file for program_mouse_glow.
# This may be replaced when dependencies are built.
