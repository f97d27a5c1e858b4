# Empty dependencies file for e2e_wm.
# This may be replaced when dependencies are built.
