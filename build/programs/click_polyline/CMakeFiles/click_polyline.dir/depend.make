# Empty dependencies file for click_polyline.
# This may be replaced when dependencies are built.
