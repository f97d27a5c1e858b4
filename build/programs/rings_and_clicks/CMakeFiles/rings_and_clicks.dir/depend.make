# Empty dependencies file for rings_and_clicks.
# This may be replaced when dependencies are built.
