# Empty custom commands generated dependencies file for easel_charfaces.
# This may be replaced when dependencies are built.
