# The Windows system DLLs beyond kernel32 and the C runtime, linked for
# loading on first use (Windows trees only).
#
# Every process imports kernel32 and msvcrt anyway. advapi32, user32 and
# shell32 would be loaded and initialised at process start even when that
# start never calls them: user32 alone connects the process to the window
# station and desktop, which under Wine costs more than the rest of a usage
# line. Delay-load import libraries resolve each function on its first call
# (through the C runtime's __delayLoadHelper2), so only the starts that show
# a message box, register a service or read the registry pay for the DLL.
# The three are KnownDLLs: the loader takes them from the system directory,
# never from a directory on the search path.
#
#   zvt_system_dlls   link this instead of advapi32, user32, shell32

add_library(zvt_system_dlls INTERFACE)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_zvt_dll_machine i386:x86-64)
else()
  set(_zvt_dll_machine i386)
endif()
foreach(_zvt_dll advapi32 user32 shell32)
  find_library(ZVT_IMPORT_LIB_${_zvt_dll} NAMES lib${_zvt_dll}.a REQUIRED)
  set(_zvt_out ${CMAKE_BINARY_DIR}/delayed/lib${_zvt_dll}_delayed.a)
  add_custom_command(OUTPUT ${_zvt_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayed
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DMACHINE=${_zvt_dll_machine}
            -DDLL=${_zvt_dll}.dll -DIMPORT_LIBRARY=${ZVT_IMPORT_LIB_${_zvt_dll}} -DOUTPUT=${_zvt_out}
            -P ${CMAKE_CURRENT_LIST_DIR}/delay_import.cmake
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/delay_import.cmake ${ZVT_IMPORT_LIB_${_zvt_dll}}
    COMMENT "Delay-load import library for ${_zvt_dll}.dll"
    VERBATIM)
  add_custom_target(zvt_delayed_${_zvt_dll} DEPENDS ${_zvt_out})
  add_dependencies(zvt_system_dlls zvt_delayed_${_zvt_dll})
  target_link_libraries(zvt_system_dlls INTERFACE ${_zvt_out})
endforeach()
