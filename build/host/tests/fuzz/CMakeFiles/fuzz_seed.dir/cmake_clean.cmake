file(REMOVE_RECURSE
  "CMakeFiles/fuzz_seed.dir/fuzz_seed.cpp.o"
  "CMakeFiles/fuzz_seed.dir/fuzz_seed.cpp.o.d"
  "fuzz_seed"
  "fuzz_seed.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/fuzz_seed.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
