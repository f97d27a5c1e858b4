file(REMOVE_RECURSE
  "libeasel-graphics.a"
)
