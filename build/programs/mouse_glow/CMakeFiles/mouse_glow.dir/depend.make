# Empty dependencies file for mouse_glow.
# This may be replaced when dependencies are built.
