# Empty dependencies file for program_spark_fountain.
# This may be replaced when dependencies are built.
