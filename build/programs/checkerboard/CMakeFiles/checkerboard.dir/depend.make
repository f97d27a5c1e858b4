# Empty dependencies file for checkerboard.
# This may be replaced when dependencies are built.
