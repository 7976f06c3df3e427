
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/src/base/log_sink.cpp" "src/CMakeFiles/zvt_core.dir/base/log_sink.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/base/log_sink.cpp.o.d"
  "/work/main/src/base/text.cpp" "src/CMakeFiles/zvt_core.dir/base/text.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/base/text.cpp.o.d"
  "/work/main/src/config/accessors.cpp" "src/CMakeFiles/zvt_core.dir/config/accessors.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/config/accessors.cpp.o.d"
  "/work/main/src/config/block_format.cpp" "src/CMakeFiles/zvt_core.dir/config/block_format.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/config/block_format.cpp.o.d"
  "/work/main/src/config/block_reader.cpp" "src/CMakeFiles/zvt_core.dir/config/block_reader.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/config/block_reader.cpp.o.d"
  "/work/main/src/config/byte_source.cpp" "src/CMakeFiles/zvt_core.dir/config/byte_source.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/config/byte_source.cpp.o.d"
  "/work/main/src/config/pe_layout.cpp" "src/CMakeFiles/zvt_core.dir/config/pe_layout.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/config/pe_layout.cpp.o.d"
  "/work/main/src/launcher/arguments.cpp" "src/CMakeFiles/zvt_core.dir/launcher/arguments.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/launcher/arguments.cpp.o.d"
  "/work/main/src/runtime/message_format.cpp" "src/CMakeFiles/zvt_core.dir/runtime/message_format.cpp.o" "gcc" "src/CMakeFiles/zvt_core.dir/runtime/message_format.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
