# Empty dependencies file for easel_image.
# This may be replaced when dependencies are built.
