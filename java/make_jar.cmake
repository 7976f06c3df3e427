# Packs the compiled classes into a jar that is the same, byte for byte, in
# every build tree: the entries in sorted order and with one fixed time, so
# that the jar each tree places beside its packer packs identical launchers.
#   cmake -DJAR=<jar tool> -DCLASSES=<dir> -DOUTPUT=<file> -P make_jar.cmake
file(GLOB_RECURSE _files RELATIVE ${CLASSES} LIST_DIRECTORIES false ${CLASSES}/*)
list(SORT _files)
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${JAR} --create --file ${OUTPUT} --date=2000-01-01T00:00:02Z ${_files}
                WORKING_DIRECTORY ${CLASSES} RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "jar failed (${_rc})")
endif()
