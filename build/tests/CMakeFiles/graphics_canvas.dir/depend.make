# Empty dependencies file for graphics_canvas.
# This may be replaced when dependencies are built.
