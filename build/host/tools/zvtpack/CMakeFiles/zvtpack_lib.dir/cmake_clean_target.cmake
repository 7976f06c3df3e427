file(REMOVE_RECURSE
  "libzvtpack_lib.a"
)
