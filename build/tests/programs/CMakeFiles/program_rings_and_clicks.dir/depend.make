# Empty dependencies file for program_rings_and_clicks.
# This may be replaced when dependencies are built.
