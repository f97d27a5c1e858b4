# Empty dependencies file for easel_fontgen.
# This may be replaced when dependencies are built.
