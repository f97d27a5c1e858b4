# Empty dependencies file for click_dots.
# This may be replaced when dependencies are built.
