# Empty dependencies file for easel-replay.
# This may be replaced when dependencies are built.
