# Empty dependencies file for first_program.
# This may be replaced when dependencies are built.
