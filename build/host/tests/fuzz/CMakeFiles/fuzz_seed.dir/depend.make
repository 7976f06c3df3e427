# Empty dependencies file for fuzz_seed.
# This may be replaced when dependencies are built.
