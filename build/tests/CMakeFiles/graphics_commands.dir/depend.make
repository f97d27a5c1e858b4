# Empty dependencies file for graphics_commands.
# This may be replaced when dependencies are built.
