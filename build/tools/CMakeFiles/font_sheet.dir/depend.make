# Empty dependencies file for font_sheet.
# This may be replaced when dependencies are built.
