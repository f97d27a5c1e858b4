# Empty dependencies file for sine_wave.
# This may be replaced when dependencies are built.
