file(REMOVE_RECURSE
  "CMakeFiles/zvt_core.dir/base/log_sink.cpp.o"
  "CMakeFiles/zvt_core.dir/base/log_sink.cpp.o.d"
  "CMakeFiles/zvt_core.dir/base/text.cpp.o"
  "CMakeFiles/zvt_core.dir/base/text.cpp.o.d"
  "CMakeFiles/zvt_core.dir/config/accessors.cpp.o"
  "CMakeFiles/zvt_core.dir/config/accessors.cpp.o.d"
  "CMakeFiles/zvt_core.dir/config/block_format.cpp.o"
  "CMakeFiles/zvt_core.dir/config/block_format.cpp.o.d"
  "CMakeFiles/zvt_core.dir/config/block_reader.cpp.o"
  "CMakeFiles/zvt_core.dir/config/block_reader.cpp.o.d"
  "CMakeFiles/zvt_core.dir/config/byte_source.cpp.o"
  "CMakeFiles/zvt_core.dir/config/byte_source.cpp.o.d"
  "CMakeFiles/zvt_core.dir/config/pe_layout.cpp.o"
  "CMakeFiles/zvt_core.dir/config/pe_layout.cpp.o.d"
  "CMakeFiles/zvt_core.dir/launcher/arguments.cpp.o"
  "CMakeFiles/zvt_core.dir/launcher/arguments.cpp.o.d"
  "CMakeFiles/zvt_core.dir/runtime/message_format.cpp.o"
  "CMakeFiles/zvt_core.dir/runtime/message_format.cpp.o.d"
  "libzvt_core.a"
  "libzvt_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zvt_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
