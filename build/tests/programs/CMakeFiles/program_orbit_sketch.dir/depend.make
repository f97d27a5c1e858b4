# Empty dependencies file for program_orbit_sketch.
# This may be replaced when dependencies are built.
