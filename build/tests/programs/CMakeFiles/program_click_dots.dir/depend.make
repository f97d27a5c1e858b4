# Empty dependencies file for program_click_dots.
# This may be replaced when dependencies are built.
