# Empty dependencies file for easel_replay_test_support.
# This may be replaced when dependencies are built.
