# Empty dependencies file for replay_tests.
# This may be replaced when dependencies are built.
