// The program under replay: started with the hook preloaded, spoken to over a socket, watched against
// a limit of its own CPU time, and of time on the clock as a last resort.
#pragma once

#include "cpu_clock.hpp"
#include "image.hpp"
#include "protocol.hpp"

#include <poll.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace easel::replay {

struct program_end {
    enum class cause { exited, signalled, too_slow };
    cause how;
    int value;  // the exit status, or the signal's number
};

// How long the program may take to ask for its next command (or to end): `cpu` of its own CPU time,
// and `wall` on the clock, for a program that waits for something that never comes.
struct time_limit {
    std::chrono::milliseconds cpu;
    std::chrono::milliseconds wall;
};

// The program could not be started: not found, not executable.
struct start_failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class replayed_program {
public:
    // Starts command[0] (searched in PATH) with command[1...] as its arguments; the limit bounds every
    // wait for it, its CPU time read as cpu_clock does from control_group (empty: none). Throws
    // start_failure when it cannot be executed, std::runtime_error when no socket or process can be made.
    replayed_program(const std::string& hook_path, const std::vector<std::string>& command, time_limit limit,
                     const std::string& control_group);
    ~replayed_program();
    replayed_program(const replayed_program&) = delete;
    replayed_program& operator=(const replayed_program&) = delete;

    enum class asking { yes, ended, too_slow, waits_for_nothing };

    // Waits for the program to ask for its next command: at most the limit after it last asked for an
    // event (timer ticks included). Returns yes at once while an earlier request is unanswered.
    asking await_request();
    bool send(const command& order);
    // The picture that follows a snapshot command; empty if the program stopped answering.
    std::optional<image::picture> receive_picture();
    // What the program showed when it ended without being told to (0 x 0 if nothing); empty otherwise.
    const std::optional<image::picture>& last_picture() const { return last_picture_; }

    // Waits for the program to exit, killing it when it takes longer than the limit. A launcher's end
    // report (end_report.hpp) counts over the status of the process easel-replay started.
    program_end wait_for_end();
    // Kills the program and reaps it; only while it has not been reaped.
    program_end stop();

private:
    program_end reap();
    // Polls until something watched is ready (true) or the program has spent its limit since `since`.
    bool wait_within_limit(pollfd* watched, nfds_t count, std::chrono::steady_clock::time_point wall_since,
                           std::chrono::microseconds cpu_since) const;

    time_limit limit_;
    std::optional<cpu_clock> cpu_;
    int socket_ = -1;
    int end_report_ = -1;  // read end of the pipe named by end_variable
    pid_t pid_ = -1;
    bool asked_ = false;
    bool killed_ = false;
    bool reaped_ = false;
    program_end end_{program_end::cause::exited, 0};
    std::optional<image::picture> last_picture_;
};

}  // namespace easel::replay
