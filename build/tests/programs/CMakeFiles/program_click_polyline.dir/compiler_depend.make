# Empty compiler generated dependencies file for program_click_polyline.
# This may be replaced when dependencies are built.
