// easel-grade-limit [--cpu SECONDS] [--address-space BYTES] [--file-size BYTES] [--processes N]
//                   [--group DIR]... -- COMMAND [ARGS...]
// easel-grade-limit --preload-inside -- bwrap [ARGS...]
//
// Starts each build and run of easel-grade: moves itself into the control groups named (a cgroup v1
// hierarchy's group by its `tasks`, a v2 group by its `cgroup.procs`), sets the resource limits given
// (soft and hard alike, and no core files), then executes COMMAND, which inherits both. A program of
// its own, so that easel-grade starts it without running Python between fork and exec. Anything it
// cannot do ends it with status 127 and a line on standard error, before COMMAND runs. It allocates
// no memory: the address space it has just limited may not hold more.
//
// With --preload-inside, between easel-replay and bubblewrap, it hands the libraries preloaded
// (easel-replay's hook) to the sandboxed command by bubblewrap's --setenv rather than to bubblewrap
// itself, which would load the hook and the C++ library for nothing (1.5 ms a run, measured).
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what, const char* name) {
    std::fprintf(stderr, "easel-grade-limit: %s %s: %s\n", what, name, std::strerror(errno));
    _exit(127);
}

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: easel-grade-limit [--cpu SECONDS] [--address-space BYTES] [--file-size BYTES] "
                 "[--processes N] [--group DIR]... -- COMMAND [ARGS...]\n");
    _exit(127);
}

// Moves this process, which has one thread, into a group. cgroup v1 moves a thread alone by `tasks`
// without the lock that moving a whole process takes, whose taking waits for the kernel's RCU grace
// period (10 ms a run measured here, the job slot idle); v2 has no `tasks` and moves it by
// `cgroup.procs`. "0" names the writer itself.
void enter(const char* group) {
    const int directory = open(group, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int members = directory < 0 ? -1 : openat(directory, "tasks", O_WRONLY | O_CLOEXEC);
    if (directory >= 0 && members < 0 && errno == ENOENT)
        members = openat(directory, "cgroup.procs", O_WRONLY | O_CLOEXEC);
    if (members < 0 || write(members, "0", 1) != 1) fail("cannot enter", group);
    close(members);
    close(directory);
}

rlim_t amount(const char* text) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-') usage();
    return static_cast<rlim_t>(value);
}

void limit(int resource, const char* value, const char* name) {
    const rlim_t most = amount(value);
    const rlimit both{most, most};
    if (setrlimit(resource, &both) != 0) fail("cannot set the limit of", name);
}

bool is(const char* word, const char* name) { return std::strcmp(word, name) == 0; }

// bubblewrap's own options come first, so the --setenv goes right after its name.
[[noreturn]] void run_preloading_inside(char** sandbox) {
    const char* preloaded = std::getenv("LD_PRELOAD");
    if (preloaded == nullptr) {
        execvp(sandbox[0], sandbox);
        fail("cannot run", sandbox[0]);
    }
    std::vector<char*> command{sandbox[0], const_cast<char*>("--setenv"), const_cast<char*>("LD_PRELOAD"),
                               strdup(preloaded)};
    for (char** word = sandbox + 1; *word != nullptr; ++word) command.push_back(*word);
    command.push_back(nullptr);
    unsetenv("LD_PRELOAD");
    execvp(command[0], command.data());
    fail("cannot run", command[0]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 && is(argv[1], "--preload-inside") && is(argv[2], "--")) run_preloading_inside(argv + 3);
    int next = 1;
    for (; next + 1 < argc && !is(argv[next], "--"); next += 2) {
        const char* option = argv[next];
        const char* value = argv[next + 1];
        if (is(option, "--group"))
            enter(value);
        else if (is(option, "--cpu"))
            limit(RLIMIT_CPU, value, "CPU time");
        else if (is(option, "--address-space"))
            limit(RLIMIT_AS, value, "address space");
        else if (is(option, "--file-size"))
            limit(RLIMIT_FSIZE, value, "file size");
        else if (is(option, "--processes"))
            limit(RLIMIT_NPROC, value, "processes");
        else
            usage();
    }
    if (next + 1 >= argc || !is(argv[next], "--")) usage();
    limit(RLIMIT_CORE, "0", "core files");
    execvp(argv[next + 1], argv + next + 1);
    fail("cannot run", argv[next + 1]);
}
