file(REMOVE_RECURSE
  "libzvt_core.a"
)
