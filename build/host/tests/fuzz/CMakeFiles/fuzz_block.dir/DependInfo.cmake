
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/src/base/log_sink.cpp" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/base/log_sink.cpp.o" "gcc" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/base/log_sink.cpp.o.d"
  "/work/main/src/base/text.cpp" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/base/text.cpp.o" "gcc" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/base/text.cpp.o.d"
  "/work/main/src/config/block_format.cpp" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/config/block_format.cpp.o" "gcc" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/config/block_format.cpp.o.d"
  "/work/main/src/config/block_reader.cpp" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/config/block_reader.cpp.o" "gcc" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/config/block_reader.cpp.o.d"
  "/work/main/src/config/byte_source.cpp" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/config/byte_source.cpp.o" "gcc" "tests/fuzz/CMakeFiles/fuzz_block.dir/__/__/src/config/byte_source.cpp.o.d"
  "/work/main/tests/fuzz/fuzz_block.cpp" "tests/fuzz/CMakeFiles/fuzz_block.dir/fuzz_block.cpp.o" "gcc" "tests/fuzz/CMakeFiles/fuzz_block.dir/fuzz_block.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
