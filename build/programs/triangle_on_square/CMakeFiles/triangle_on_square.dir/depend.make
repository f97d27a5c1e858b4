# Empty dependencies file for triangle_on_square.
# This may be replaced when dependencies are built.
