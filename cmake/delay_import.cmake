# Builds a delay-load import library for one Windows system DLL from the
# toolchain's ordinary import library: every function the ordinary library
# names, each resolved on its first call instead of at process start.
# Run as a script:
#   cmake -DNM=<nm> -DDLLTOOL=<dlltool> -DMACHINE=<i386|i386:x86-64> -DDLL=<name.dll>
#         -DIMPORT_LIBRARY=<libname.a> -DOUTPUT=<libname_delayed.a> -P delay_import.cmake
foreach(_var NM DLLTOOL MACHINE DLL IMPORT_LIBRARY OUTPUT)
  if(NOT ${_var})
    message(FATAL_ERROR "delay_import.cmake: ${_var} is not set")
  endif()
endforeach()

execute_process(COMMAND ${NM} ${IMPORT_LIBRARY} OUTPUT_VARIABLE _symbols RESULT_VARIABLE _rc ERROR_QUIET)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${NM} ${IMPORT_LIBRARY} failed (${_rc})")
endif()
# The import thunks: "__imp_Name" on x86_64, "__imp__Name@N" (stdcall) or
# "__imp__Name" (cdecl) on i686.
string(REGEX MATCHALL " I __imp_[^\n]+" _thunks "${_symbols}")
set(_def "LIBRARY ${DLL}\nEXPORTS\n")
set(_count 0)
foreach(_thunk IN LISTS _thunks)
  string(REGEX REPLACE "^ I __imp_" "" _name "${_thunk}")
  if(MACHINE STREQUAL "i386")
    string(REGEX REPLACE "^_" "" _name "${_name}")
  endif()
  string(APPEND _def "${_name}\n")
  math(EXPR _count "${_count} + 1")
endforeach()
if(_count EQUAL 0)
  message(FATAL_ERROR "no functions found in ${IMPORT_LIBRARY}")
endif()
get_filename_component(_dir ${OUTPUT} DIRECTORY)
get_filename_component(_stem ${OUTPUT} NAME_WE)
set(_def_file ${_dir}/${_stem}.def)
file(WRITE ${_def_file} "${_def}")

# i686: the names carry their stdcall decoration ("@16") for the linker;
# --kill-at imports them by the bare name the DLL exports.
set(_kill_at)
if(MACHINE STREQUAL "i386")
  set(_kill_at --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} -m ${MACHINE} ${_kill_at} --input-def ${_def_file} --output-delaylib ${OUTPUT}
                RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${DLLTOOL} --output-delaylib for ${DLL} failed (${_rc})")
endif()
