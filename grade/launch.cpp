// easel-grade-launch PROGRAM [ARGS...]
//
// Runs inside easel-grade's sandbox, in front of a student's compiler or program. Started as root (with
// only CAP_SETUID, CAP_SETGID and CAP_SETPCAP left), it runs PROGRAM as the unprivileged user nobody
// with no capability at all, drops its own capabilities, waits, and reports how PROGRAM ended on the
// pipe easel-replay names (end_report.hpp), which PROGRAM never holds. Started as another user, it
// runs PROGRAM as that user. Its own exit status is PROGRAM's (128 + N for signal N).
#include "end_report.hpp"

#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uid_t unprivileged_user = 65534;  // nobody
constexpr gid_t unprivileged_group = 65534;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "easel-grade-launch: %s: %s\n", what, std::strerror(errno));
    _exit(127);
}

// The end report's descriptor, taken out of the environment so that PROGRAM does not see its number.
int take_end_pipe() {
    const char* text = std::getenv(easel::replay::end_variable);
    const int fd = text ? std::atoi(text) : -1;
    unsetenv(easel::replay::end_variable);
    return fd > 2 ? fd : -1;
}

// No capability in any set, the bounding set included, so nothing executed later can gain one.
void drop_capabilities() {
    for (int capability = 0; capability <= CAP_LAST_CAP; ++capability) prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2] = {};
    if (syscall(SYS_capset, &header, none) != 0) fail("capset");
}

[[noreturn]] void become_program(char** command) {
    if (geteuid() == 0) {
        for (int capability = 0; capability <= CAP_LAST_CAP; ++capability) prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
        if (setgroups(0, nullptr) != 0 || setresgid(unprivileged_group, unprivileged_group, unprivileged_group) != 0 ||
            setresuid(unprivileged_user, unprivileged_user, unprivileged_user) != 0)
            fail("cannot become the unprivileged user");
    }
    drop_capabilities();
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) fail("no_new_privs");
    execvp(command[0], command);
    fail(command[0]);
}

void report(int end_pipe, const std::string& line) {
    if (end_pipe < 0) return;
    [[maybe_unused]] const ssize_t ignored = write(end_pipe, line.data(), line.size());
    close(end_pipe);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: easel-grade-launch PROGRAM [ARGS...]\n");
        return 127;
    }
    const int end_pipe = take_end_pipe();
    const pid_t child = fork();
    if (child < 0) fail("fork");
    if (child == 0) {
        if (end_pipe >= 0) close(end_pipe);
        become_program(argv + 1);
    }
    drop_capabilities();
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) fail("waitpid");
    if (WIFSIGNALED(status)) {
        report(end_pipe, "signal " + std::to_string(WTERMSIG(status)) + "\n");
        return 128 + WTERMSIG(status);
    }
    report(end_pipe, "exit " + std::to_string(WEXITSTATUS(status)) + "\n");
    return WEXITSTATUS(status);
}
