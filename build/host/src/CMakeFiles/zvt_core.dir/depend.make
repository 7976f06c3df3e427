# Empty dependencies file for zvt_core.
# This may be replaced when dependencies are built.
