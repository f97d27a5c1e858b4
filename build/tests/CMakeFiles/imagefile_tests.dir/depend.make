# Empty dependencies file for imagefile_tests.
# This may be replaced when dependencies are built.
