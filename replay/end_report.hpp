// How a launcher that stands between easel-replay and the program (a sandbox's) tells easel-replay how
// the program really ended, where the launcher's own status cannot tell an exit with 139 from SIGSEGV.
#pragma once

namespace easel::replay {

// Environment variable naming the write end of a pipe; the launcher writes one line to it, "exit N" or
// "signal N", and keeps it from the program.
inline constexpr const char* end_variable = "EASEL_REPLAY_END_FD";

}  // namespace easel::replay
