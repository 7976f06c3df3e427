# Empty dependencies file for zvt_unit_tests.
# This may be replaced when dependencies are built.
