# Empty dependencies file for program_diagonal_gradient.
# This may be replaced when dependencies are built.
