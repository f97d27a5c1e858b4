# Empty dependencies file for spark_fountain.
# This may be replaced when dependencies are built.
