file(REMOVE_RECURSE
  "libeasel_replay_test_support.a"
)
