# Cross toolchain for the 32-bit Windows tree (mingw-w64, i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The posix thread model: GoogleTest needs std::mutex, which the win32
# model of this compiler lacks. winpthread is linked statically.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests of this tree run through Wine's loader for 32-bit programs
# (wine32:i386), in a 64-bit prefix: the way 64-bit Windows runs the shipped
# launcher. Never the 64-bit loader: handed a 32-bit program it can end with
# 0 without running it. zvt.cmake refuses Wine tests without this loader.
find_program(ZVT_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
# tests/wine-test.sh keeps helpers that Wine starts for a test from holding
# CTest's pipe after the test ended.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine-test.sh ${ZVT_WINE})
