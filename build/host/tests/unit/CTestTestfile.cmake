# CMake generated Testfile for 
# Source directory: /work/main/tests/unit
# Build directory: /work/main/build/host/tests/unit
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[unit]=] "/work/main/build/host/tests/unit/zvt_unit_tests")
set_tests_properties([=[unit]=] PROPERTIES  TIMEOUT "600" _BACKTRACE_TRIPLES "/work/main/tests/unit/CMakeLists.txt;12;add_test;/work/main/tests/unit/CMakeLists.txt;0;")
