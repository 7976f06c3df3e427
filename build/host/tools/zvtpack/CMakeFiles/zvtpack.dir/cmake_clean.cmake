file(REMOVE_RECURSE
  "CMakeFiles/zvtpack.dir/main.cpp.o"
  "CMakeFiles/zvtpack.dir/main.cpp.o.d"
  "zvtpack"
  "zvtpack.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zvtpack.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
