#include "cpu_clock.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace easel::replay {

namespace {

using std::chrono::microseconds;

// cgroup v1's cpu accounting first: v1's cpu controller has a cpu.stat too, without usage_usec.
std::string group_file(const std::string& group, bool& in_nanoseconds) {
    in_nanoseconds = true;
    if (std::ifstream(group + "/cpuacct.usage")) return group + "/cpuacct.usage";
    in_nanoseconds = false;
    if (std::ifstream(group + "/cpu.stat")) return group + "/cpu.stat";  // cgroup v2: usage_usec
    return "";
}

// usage_usec of cgroup v2's cpu.stat, or the lone number of v1's cpuacct.usage.
long long group_usage(const std::string& file, bool in_nanoseconds) {
    std::ifstream text(file);
    if (in_nanoseconds) {
        long long nanoseconds = 0;
        text >> nanoseconds;
        return nanoseconds / 1000;
    }
    std::string key;
    long long value = 0;
    while (text >> key >> value)
        if (key == "usage_usec") return value;
    return 0;
}

microseconds own_time() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return microseconds(static_cast<long long>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
                        usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// utime, stime, cutime and cstime of /proc/PID/stat: the 14th to 17th fields, the 2nd (the name) in
// parentheses that may hold anything.
microseconds process_time(const std::string& stat_file) {
    std::ifstream file(stat_file);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t name_end = text.rfind(')');
    if (name_end == std::string::npos) return microseconds(0);
    std::istringstream fields(text.substr(name_end + 1));
    std::string field;
    long long ticks = 0;
    for (int number = 3; number <= 17 && fields >> field; ++number)
        if (number >= 14) ticks += std::stoll(field);
    return microseconds(ticks * 1000000 / sysconf(_SC_CLK_TCK));
}

}  // namespace

cpu_clock::cpu_clock(std::string control_group, pid_t process)
    : process_stat_("/proc/" + std::to_string(process) + "/stat") {
    if (!control_group.empty()) group_file_ = group_file(control_group, group_in_nanoseconds_);
}

microseconds cpu_clock::used() const {
    if (group_file_.empty()) return process_time(process_stat_);
    return microseconds(group_usage(group_file_, group_in_nanoseconds_)) - own_time();
}

bool cpu_clock::readable(const std::string& control_group) {
    bool in_nanoseconds = false;
    return control_group.empty() || !group_file(control_group, in_nanoseconds).empty();
}

}  // namespace easel::replay
