# Empty dependencies file for diagonal_gradient.
# This may be replaced when dependencies are built.
