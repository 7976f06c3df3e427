
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/unit/accessors_test.cpp" "tests/unit/CMakeFiles/zvt_unit_tests.dir/accessors_test.cpp.o" "gcc" "tests/unit/CMakeFiles/zvt_unit_tests.dir/accessors_test.cpp.o.d"
  "/work/main/tests/unit/arguments_test.cpp" "tests/unit/CMakeFiles/zvt_unit_tests.dir/arguments_test.cpp.o" "gcc" "tests/unit/CMakeFiles/zvt_unit_tests.dir/arguments_test.cpp.o.d"
  "/work/main/tests/unit/block_test.cpp" "tests/unit/CMakeFiles/zvt_unit_tests.dir/block_test.cpp.o" "gcc" "tests/unit/CMakeFiles/zvt_unit_tests.dir/block_test.cpp.o.d"
  "/work/main/tests/unit/pack_test.cpp" "tests/unit/CMakeFiles/zvt_unit_tests.dir/pack_test.cpp.o" "gcc" "tests/unit/CMakeFiles/zvt_unit_tests.dir/pack_test.cpp.o.d"
  "/work/main/tests/unit/text_test.cpp" "tests/unit/CMakeFiles/zvt_unit_tests.dir/text_test.cpp.o" "gcc" "tests/unit/CMakeFiles/zvt_unit_tests.dir/text_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/host/tools/zvtpack/CMakeFiles/zvtpack_lib.dir/DependInfo.cmake"
  "/work/main/build/host/src/CMakeFiles/zvt_core.dir/DependInfo.cmake"
  "/work/main/build/host/googletest/googletest/CMakeFiles/gtest_main.dir/DependInfo.cmake"
  "/work/main/build/host/googletest/googletest/CMakeFiles/gtest.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
