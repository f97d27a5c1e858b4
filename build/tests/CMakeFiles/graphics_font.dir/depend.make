# Empty dependencies file for graphics_font.
# This may be replaced when dependencies are built.
