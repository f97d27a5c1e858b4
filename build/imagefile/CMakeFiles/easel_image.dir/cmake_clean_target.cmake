file(REMOVE_RECURSE
  "libeasel_image.a"
)
