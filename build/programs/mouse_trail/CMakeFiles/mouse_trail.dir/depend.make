# Empty dependencies file for mouse_trail.
# This may be replaced when dependencies are built.
