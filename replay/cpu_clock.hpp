// The CPU time a replayed program has used, so that its time limit does not depend on how busy the
// machine is.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace easel::replay {

class cpu_clock {
public:
    // With a control group (a directory holding cpu.stat, or cpu accounting's cpuacct.usage) that holds
    // the program, easel-replay and nothing else, the group's time less easel-replay's own: the program's
    // every process and thread, inside a sandbox too. Without one, the time of the process easel-replay
    // started (its threads, and the children it has waited for).
    cpu_clock(std::string control_group, pid_t process);

    std::chrono::microseconds used() const;

    // Whether a directory is a control group this clock can read. Empty names none, which is fine.
    static bool readable(const std::string& control_group);

private:
    std::string group_file_;
    bool group_in_nanoseconds_ = false;
    std::string process_stat_;
};

}  // namespace easel::replay
