# Empty dependencies file for graphics_keytbl.
# This may be replaced when dependencies are built.
