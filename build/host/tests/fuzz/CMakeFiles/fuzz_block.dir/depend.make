# Empty dependencies file for fuzz_block.
# This may be replaced when dependencies are built.
