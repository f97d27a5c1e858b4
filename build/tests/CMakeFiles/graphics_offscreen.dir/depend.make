# Empty dependencies file for graphics_offscreen.
# This may be replaced when dependencies are built.
