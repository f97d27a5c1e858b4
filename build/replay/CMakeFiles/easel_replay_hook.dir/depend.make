# Empty dependencies file for easel_replay_hook.
# This may be replaced when dependencies are built.
