# Empty dependencies file for relative_triangle.
# This may be replaced when dependencies are built.
