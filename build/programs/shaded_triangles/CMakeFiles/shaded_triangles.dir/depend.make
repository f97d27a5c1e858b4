# Empty dependencies file for shaded_triangles.
# This may be replaced when dependencies are built.
