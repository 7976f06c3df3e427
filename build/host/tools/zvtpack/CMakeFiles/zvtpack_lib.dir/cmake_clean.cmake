file(REMOVE_RECURSE
  "CMakeFiles/zvtpack_lib.dir/description.cpp.o"
  "CMakeFiles/zvtpack_lib.dir/description.cpp.o.d"
  "CMakeFiles/zvtpack_lib.dir/pack.cpp.o"
  "CMakeFiles/zvtpack_lib.dir/pack.cpp.o.d"
  "libzvtpack_lib.a"
  "libzvtpack_lib.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zvtpack_lib.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
