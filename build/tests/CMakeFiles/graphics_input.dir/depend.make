# Empty dependencies file for graphics_input.
# This may be replaced when dependencies are built.
