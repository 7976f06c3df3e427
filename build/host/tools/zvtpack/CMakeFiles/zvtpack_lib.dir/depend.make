# Empty dependencies file for zvtpack_lib.
# This may be replaced when dependencies are built.
