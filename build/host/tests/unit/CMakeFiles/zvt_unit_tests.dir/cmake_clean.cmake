file(REMOVE_RECURSE
  "CMakeFiles/zvt_unit_tests.dir/accessors_test.cpp.o"
  "CMakeFiles/zvt_unit_tests.dir/accessors_test.cpp.o.d"
  "CMakeFiles/zvt_unit_tests.dir/arguments_test.cpp.o"
  "CMakeFiles/zvt_unit_tests.dir/arguments_test.cpp.o.d"
  "CMakeFiles/zvt_unit_tests.dir/block_test.cpp.o"
  "CMakeFiles/zvt_unit_tests.dir/block_test.cpp.o.d"
  "CMakeFiles/zvt_unit_tests.dir/pack_test.cpp.o"
  "CMakeFiles/zvt_unit_tests.dir/pack_test.cpp.o.d"
  "CMakeFiles/zvt_unit_tests.dir/text_test.cpp.o"
  "CMakeFiles/zvt_unit_tests.dir/text_test.cpp.o.d"
  "zvt_unit_tests"
  "zvt_unit_tests.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zvt_unit_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
