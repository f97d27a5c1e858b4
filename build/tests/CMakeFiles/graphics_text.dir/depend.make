# Empty dependencies file for graphics_text.
# This may be replaced when dependencies are built.
