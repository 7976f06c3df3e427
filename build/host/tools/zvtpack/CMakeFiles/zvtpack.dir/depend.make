# Empty dependencies file for zvtpack.
# This may be replaced when dependencies are built.
