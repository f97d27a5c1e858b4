# Empty dependencies file for replay_probe.
# This may be replaced when dependencies are built.
