# Empty compiler generated dependencies file for program_shaded_triangles.
# This may be replaced when dependencies are built.
