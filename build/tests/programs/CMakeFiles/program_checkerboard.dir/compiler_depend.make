# Empty compiler generated dependencies file for program_checkerboard.
# This may be replaced when dependencies are built.
