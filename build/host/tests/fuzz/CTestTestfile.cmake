# CMake generated Testfile for 
# Source directory: /work/main/tests/fuzz
# Build directory: /work/main/build/host/tests/fuzz
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[fuzz_block_seed]=] "/work/main/build/host/tests/fuzz/fuzz_seed" "/work/main/build/host/tests/fuzz/corpus_block")
set_tests_properties([=[fuzz_block_seed]=] PROPERTIES  FIXTURES_SETUP "fuzz_block_corpus" TIMEOUT "60" _BACKTRACE_TRIPLES "/work/main/tests/fuzz/CMakeLists.txt;25;add_test;/work/main/tests/fuzz/CMakeLists.txt;0;")
add_test([=[fuzz_block]=] "/work/main/build/host/tests/fuzz/fuzz_block" "-max_total_time=45" "-timeout=10" "-rss_limit_mb=1024" "-print_final_stats=1" "/work/main/build/host/tests/fuzz/corpus_block")
set_tests_properties([=[fuzz_block]=] PROPERTIES  FIXTURES_REQUIRED "fuzz_block_corpus" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/main/tests/fuzz/CMakeLists.txt;27;add_test;/work/main/tests/fuzz/CMakeLists.txt;0;")
