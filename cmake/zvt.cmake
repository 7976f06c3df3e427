# Shared build settings of both trees.

set(ZVT_WARNINGS -Wall -Wextra -Werror)

# GoogleTest from the Debian source package; it builds for the host and with
# mingw alike.
set(ZVT_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${ZVT_GTEST_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found at ${ZVT_GTEST_DIR} (install googletest)")
endif()

# The version of everything built here, for the release folder (./x dist).
file(WRITE ${CMAKE_BINARY_DIR}/VERSION "${PROJECT_VERSION}\n")

if(ZVT_TREE STREQUAL "host")
  # The release tree (preset "release") builds the zvtpack that ships:
  # optimised, without sanitizers.
  option(ZVT_HOST_RELEASE "host tree for the shipped zvtpack: no sanitizers" OFF)
  # Everything native runs under ASan+UBSan except code that must share the
  # process with a real JVM (tests/jvm), which opts out per target.
  if(ZVT_HOST_RELEASE)
    set(ZVT_SANITIZE "")
  else()
    set(ZVT_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  endif()
  function(zvt_sanitize target)
    target_compile_options(${target} PRIVATE ${ZVT_SANITIZE})
    target_link_options(${target} PRIVATE ${ZVT_SANITIZE})
  endfunction()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(_zvt_saved_flags "${CMAKE_CXX_FLAGS}")
  if(NOT ZVT_HOST_RELEASE)
    set(CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS} -fsanitize=address,undefined -fno-omit-frame-pointer")
  endif()
  add_subdirectory(${ZVT_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(CMAKE_CXX_FLAGS "${_zvt_saved_flags}")
else()
  # Static runtime: zvtsvc.exe must run with nothing but Windows system DLLs.
  set(ZVT_STATIC_LINK -static -static-libgcc -static-libstdc++)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${ZVT_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  function(zvt_sanitize target)
  endfunction()
  # Resource scripts (version resources, the event log message table).
  enable_language(RC)
  # Windows headers: one target version for all Win32 code.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE)
  # Optimise the Windows trees for size: the launcher spends its time in the
  # JVM and in system calls, never in its own loops, and every byte of the
  # template ships inside every packed application (-O3 made it a third
  # larger, 654 KB against 488 KB for the i686 template).
  set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
  set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
endif()

# One JDK for every tree. All trees compile the JNI conversation against its
# jni.h; the host JNI tests also load its libjvm.so. The machine-dependent
# half of the headers differs per tree: the host takes the JDK's own
# include/linux, the Windows trees take src/jvm/include/jni_md.h (the Win32
# types and __stdcall), which must come first. jni.h includes "jni_md.h"
# with quotes, and the JDK's own copy lies only in a subdirectory, so ours is
# the one found. Link zvt_jni_headers to compile anything that includes jni.h.
set(ZVT_JDK_HOME /usr/lib/jvm/java-17-openjdk-amd64 CACHE PATH "JDK whose jni.h every tree compiles against (install openjdk-17-jdk-headless)")
if(NOT EXISTS ${ZVT_JDK_HOME}/include/jni.h)
  message(FATAL_ERROR "jni.h not found in ${ZVT_JDK_HOME}/include (set ZVT_JDK_HOME or install openjdk-17-jdk-headless)")
endif()
add_library(zvt_jni_headers INTERFACE)
if(ZVT_TREE STREQUAL "host")
  set(ZVT_JNI_INCLUDE_DIRS ${ZVT_JDK_HOME}/include ${ZVT_JDK_HOME}/include/linux)
else()
  set(ZVT_JNI_INCLUDE_DIRS ${CMAKE_SOURCE_DIR}/src/jvm/include ${ZVT_JDK_HOME}/include)
endif()
target_include_directories(zvt_jni_headers SYSTEM INTERFACE ${ZVT_JNI_INCLUDE_DIRS})

# Windows test programs run through Wine, in both Windows trees: win64
# (x86_64) always, win (i686, the shipped launcher) where the kernel runs
# 32-bit code, which Wine's 32-bit loader needs; ./x checks that with a
# static i386 program and passes -DZVT_WINE_TESTS=ON or OFF. Either way the
# i686 template's image and exports are checked statically.
if(ZVT_TREE STREQUAL "win")
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(_zvt_wine_default ON)
  else()
    set(_zvt_wine_default OFF)
  endif()
  option(ZVT_WINE_TESTS "register the Windows test programs with CTest (run through Wine)" ${_zvt_wine_default})
  if(ZVT_WINE_TESTS AND NOT ZVT_WINE)
    message(FATAL_ERROR "Wine tests of the ${CMAKE_SYSTEM_PROCESSOR} tree need Wine's loader for this width "
                        "(/usr/lib/wine/wine for i686: install wine32:i386 beside wine64)")
  endif()
  if(NOT ZVT_WINE_TESTS)
    message(STATUS "Wine tests are not registered in this tree (${CMAKE_SYSTEM_PROCESSOR})")
  endif()
endif()

# What a Windows test program that is no gtest run prints to show that it
# ran (tests/wine-test.sh fails a run with exit code 0 and no such line).
function(zvt_ran_proof name regex)
  if(ZVT_WINE_TESTS)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "ZVT_RAN_PROOF=${regex}")
  endif()
endfunction()

# A Windows test program run through Wine by CTest (the emulator comes from
# the toolchain file). Every test has a timeout, so a hang fails, never blocks.
function(zvt_wine_test name target)
  if(ZVT_WINE_TESTS)
    add_test(NAME ${name} COMMAND ${target} ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

# One gtest suite (or filter) of a Windows test program as its own CTest
# entry with its own timeout, so a slow suite shows by name:
#   zvt_wine_suite(<name> <target> FILTER <gtest filter> TIMEOUT <s>
#                  [RESOURCE_LOCK <lock>...] [ENVIRONMENT <var=value>...] [ARGS <arg>...])
# Tests that change fixed registry paths (SOFTWARE\JavaSoft, the version
# cache, the pids key) take RESOURCE_LOCK zvt_fixed_registry.
function(zvt_wine_suite name target)
  cmake_parse_arguments(S "" "FILTER;TIMEOUT" "RESOURCE_LOCK;ENVIRONMENT;ARGS" ${ARGN})
  if(NOT S_FILTER OR NOT S_TIMEOUT)
    message(FATAL_ERROR "zvt_wine_suite(${name}): FILTER and TIMEOUT are required")
  endif()
  if(ZVT_WINE_TESTS)
    add_test(NAME ${name} COMMAND ${target} ${S_ARGS} --gtest_filter=${S_FILTER})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${S_TIMEOUT})
    if(S_RESOURCE_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${S_RESOURCE_LOCK}")
    endif()
    if(S_ENVIRONMENT)
      set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "${S_ENVIRONMENT}")
    endif()
  endif()
endfunction()

# The version resource of a Windows executable (file and product version,
# description, file name: what the file's properties show), from the
# project's version:
#   zvt_version_resource(<target> "<description>")
function(zvt_version_resource target description)
  get_target_property(_name ${target} OUTPUT_NAME)
  if(NOT _name)
    set(_name ${target})
  endif()
  set(ZVT_RC_DESCRIPTION "${description}")
  set(ZVT_RC_FILE_NAME "${_name}.exe")
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${_rc} @ONLY)
  target_sources(${target} PRIVATE ${_rc})
endfunction()
