# Empty dependencies file for stamps.
# This may be replaced when dependencies are built.
