// The program under replay: started with the hook preloaded, spoken to over a socket, watched against
// a wall-clock limit.
#pragma once

#include "image.hpp"
#include "protocol.hpp"

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace easel::replay {

struct program_end {
    enum class cause { exited, signalled, too_slow };
    cause how;
    int value;  // the exit status, or the signal's number
};

class replayed_program {
public:
    // Starts command[0] with command[1...] as its arguments; the limit bounds every wait for it.
    // Throws std::runtime_error when no socket or process can be made. A program that cannot be
    // executed exits with status 127 after saying why.
    replayed_program(const std::string& hook_path, const std::vector<std::string>& command,
                     std::chrono::milliseconds limit);
    ~replayed_program();
    replayed_program(const replayed_program&) = delete;
    replayed_program& operator=(const replayed_program&) = delete;

    enum class asking { yes, ended, too_slow };

    // Waits for the program to ask for its next command.
    asking await_request();
    bool send(const command& order);
    // The picture that follows a snapshot command; empty if the program stopped answering.
    std::optional<image::picture> receive_picture();

    // Waits for the program to exit, killing it when it takes longer than the limit.
    program_end wait_for_end();
    // Kills the program and reaps it; only while it has not been reaped.
    program_end stop();

private:
    program_end reap();

    std::chrono::milliseconds limit_;
    int socket_ = -1;
    int process_fd_ = -1;
    pid_t pid_ = -1;
    bool killed_ = false;
    bool reaped_ = false;
};

}  // namespace easel::replay
