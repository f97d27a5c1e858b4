# Empty dependencies file for program_sine_wave.
# This may be replaced when dependencies are built.
