file(REMOVE_RECURSE
  "CMakeFiles/fuzz_block.dir/__/__/src/base/log_sink.cpp.o"
  "CMakeFiles/fuzz_block.dir/__/__/src/base/log_sink.cpp.o.d"
  "CMakeFiles/fuzz_block.dir/__/__/src/base/text.cpp.o"
  "CMakeFiles/fuzz_block.dir/__/__/src/base/text.cpp.o.d"
  "CMakeFiles/fuzz_block.dir/__/__/src/config/block_format.cpp.o"
  "CMakeFiles/fuzz_block.dir/__/__/src/config/block_format.cpp.o.d"
  "CMakeFiles/fuzz_block.dir/__/__/src/config/block_reader.cpp.o"
  "CMakeFiles/fuzz_block.dir/__/__/src/config/block_reader.cpp.o.d"
  "CMakeFiles/fuzz_block.dir/__/__/src/config/byte_source.cpp.o"
  "CMakeFiles/fuzz_block.dir/__/__/src/config/byte_source.cpp.o.d"
  "CMakeFiles/fuzz_block.dir/fuzz_block.cpp.o"
  "CMakeFiles/fuzz_block.dir/fuzz_block.cpp.o.d"
  "fuzz_block"
  "fuzz_block.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/fuzz_block.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
