// easel-replay's own exit statuses; otherwise it exits with the program's status.
#pragma once

namespace easel::replay::exit_status {

inline constexpr int script_error = 2;     // or a bad command line or snap path; nothing was run
inline constexpr int expect_differed = 3;  // the program itself succeeded
inline constexpr int too_slow = 4;         // the program did not ask for its next event (or end) in time and was killed
inline constexpr int crashed = 5;          // the program was killed by a signal
inline constexpr int unfinished = 6;       // the program ended before a snap or expect of the script
inline constexpr int replay_failed = 7;    // a picture could not be written, or the hook could not be found
inline constexpr int cannot_start = 8;     // the program was not found or is not executable
inline constexpr int waits_for_nothing = 9;  // the program asked for input with no window open and no timer running

}  // namespace easel::replay::exit_status
