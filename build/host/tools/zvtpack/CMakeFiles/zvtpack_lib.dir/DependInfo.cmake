
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tools/zvtpack/description.cpp" "tools/zvtpack/CMakeFiles/zvtpack_lib.dir/description.cpp.o" "gcc" "tools/zvtpack/CMakeFiles/zvtpack_lib.dir/description.cpp.o.d"
  "/work/main/tools/zvtpack/pack.cpp" "tools/zvtpack/CMakeFiles/zvtpack_lib.dir/pack.cpp.o" "gcc" "tools/zvtpack/CMakeFiles/zvtpack_lib.dir/pack.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/host/src/CMakeFiles/zvt_core.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
