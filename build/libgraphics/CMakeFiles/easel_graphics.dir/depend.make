# Empty dependencies file for easel_graphics.
# This may be replaced when dependencies are built.
