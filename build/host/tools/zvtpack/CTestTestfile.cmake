# CMake generated Testfile for 
# Source directory: /work/main/tools/zvtpack
# Build directory: /work/main/build/host/tools/zvtpack
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
