# Empty dependencies file for orbit_sketch.
# This may be replaced when dependencies are built.
