#include "program.hpp"

#include "end_report.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace easel::replay {

namespace {

std::runtime_error system_error(const std::string& what) { return std::runtime_error(what + ": " + std::strerror(errno)); }

using clock_type = std::chrono::steady_clock;

// Readable once a child has ended. A signal and a pipe rather than a process descriptor, which some
// environments (valgrind among them) do not offer.
int child_ended[2] = {-1, -1};

void note_child_ended(int) {
    const int saved = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = write(child_ended[1], &byte, 1);
    errno = saved;
}

void watch_for_child_end() {
    if (child_ended[0] >= 0) return;
    if (pipe2(child_ended, O_CLOEXEC | O_NONBLOCK) != 0) throw system_error("pipe");
    struct sigaction action {};
    action.sa_handler = note_child_ended;
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGCHLD, &action, nullptr) != 0) throw system_error("sigaction");
}

// poll() until something is ready or the deadline passes (then 0).
int poll_until(pollfd* watched, nfds_t count, clock_type::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock_type::now());
        const int ready = poll(watched, count, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready >= 0 || errno != EINTR) return ready;
    }
}

bool has_name(const std::string& entry, const std::string& name) { return entry.compare(0, name.size() + 1, name + "=") == 0; }

std::string current_value(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : value;
}

std::string joined(const std::string& first, char separator, const std::string& rest) {
    return rest.empty() ? first : first + separator + rest;
}

// The caller's environment with the hook preloaded, SDL's dummy video driver, the hook's socket and the
// pipe for a launcher's end report. An address-sanitised program would refuse a preloaded library that
// is not first in its link order.
std::vector<std::string> program_environment(const std::string& hook_path, int hook_socket, int end_pipe) {
    const std::vector<std::pair<std::string, std::string>> settings = {
        {"LD_PRELOAD", joined(hook_path, ':', current_value("LD_PRELOAD"))},
        {"SDL_VIDEODRIVER", "dummy"},
        {socket_variable, std::to_string(hook_socket)},
        {end_variable, std::to_string(end_pipe)},
        {"ASAN_OPTIONS", joined(current_value("ASAN_OPTIONS"), ':', "verify_asan_link_order=0")},
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const bool replaced = std::any_of(settings.begin(), settings.end(),
                                          [&text](const auto& setting) { return has_name(text, setting.first); });
        if (!replaced) environment.push_back(text);
    }
    for (const auto& [name, value] : settings) environment.push_back(name + "=" + value);
    return environment;
}

std::vector<char*> c_strings(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// On failure the reason goes back through exec_failed, which a successful exec closes.
[[noreturn]] void become_program(std::vector<std::string> command, std::vector<std::string> environment, int hook_socket,
                                 int end_pipe, int exec_failed) {
    fcntl(hook_socket, F_SETFD, 0);  // keep both across exec
    fcntl(end_pipe, F_SETFD, 0);
    const std::vector<char*> arguments = c_strings(command);
    const std::vector<char*> variables = c_strings(environment);
    execvpe(arguments[0], arguments.data(), variables.data());
    const int reason = errno;
    [[maybe_unused]] const ssize_t ignored = write(exec_failed, &reason, sizeof reason);
    _exit(127);
}

// The errno of a failed exec, 0 when the program is running.
int exec_result(int exec_failed) {
    int reason = 0;
    ssize_t got;
    do got = read(exec_failed, &reason, sizeof reason);
    while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof reason) ? reason : 0;
}

// The launcher's "exit N" or "signal N", if it wrote exactly one such line.
std::optional<program_end> reported_end(int end_pipe) {
    char text[64] = {};
    ssize_t got;
    do got = read(end_pipe, text, sizeof text - 1);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return std::nullopt;
    char how[8] = {};
    int value = -1;
    char rest = 0;
    if (std::sscanf(text, "%7s %d%c", how, &value, &rest) != 3 || rest != '\n' || value < 0 ||
        static_cast<std::size_t>(got) != std::strlen(text))
        return std::nullopt;
    if (std::strcmp(how, "exit") == 0 && value <= 255) return program_end{program_end::cause::exited, value};
    if (std::strcmp(how, "signal") == 0 && value > 0 && value < NSIG) return program_end{program_end::cause::signalled, value};
    return std::nullopt;
}

}  // namespace

replayed_program::replayed_program(const std::string& hook_path, const std::vector<std::string>& command,
                                   time_limit limit, const std::string& control_group)
    : limit_(limit) {
    watch_for_child_end();
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) throw system_error("socketpair");
    socket_ = ends[0];
    // Bounds the reads that follow a request (a picture), like the wait for the request itself.
    const timeval receive_limit{static_cast<time_t>(limit.wall.count() / 1000),
                                static_cast<suseconds_t>(limit.wall.count() % 1000 * 1000)};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &receive_limit, sizeof receive_limit);
    int end_pipe[2];
    if (pipe2(end_pipe, O_CLOEXEC | O_NONBLOCK) != 0) throw system_error("pipe");
    end_report_ = end_pipe[0];
    std::vector<std::string> environment = program_environment(hook_path, ends[1], end_pipe[1]);
    int exec_failed[2];
    if (pipe2(exec_failed, O_CLOEXEC) != 0) throw system_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw system_error("fork");
    if (pid_ == 0) become_program(command, std::move(environment), ends[1], end_pipe[1], exec_failed[1]);
    cpu_.emplace(control_group, pid_);
    close(ends[1]);
    close(end_pipe[1]);
    close(exec_failed[1]);
    const int reason = exec_result(exec_failed[0]);
    close(exec_failed[0]);
    if (reason != 0) {
        reap();
        close(socket_);
        close(end_report_);
        throw start_failure("cannot run " + command.front() + ": " + std::strerror(reason));
    }
}

replayed_program::~replayed_program() {
    if (!reaped_) stop();
    close(socket_);
    close(end_report_);
}

// CPU time is looked at this often while the program works.
constexpr std::chrono::milliseconds cpu_check_interval{20};

bool replayed_program::wait_within_limit(pollfd* watched, nfds_t count, clock_type::time_point wall_since,
                                         std::chrono::microseconds cpu_since) const {
    const clock_type::time_point wall_deadline = wall_since + limit_.wall;
    for (;;) {
        if (poll_until(watched, count, std::min(wall_deadline, clock_type::now() + cpu_check_interval)) != 0) return true;
        if (clock_type::now() >= wall_deadline || cpu_->used() - cpu_since > limit_.cpu) return false;
    }
}

replayed_program::asking replayed_program::await_request() {
    if (asked_) return asking::yes;
    auto wall_since = clock_type::now();
    auto cpu_since = cpu_->used();
    for (;;) {
        pollfd watched[] = {{socket_, POLLIN, 0}, {child_ended[0], POLLIN, 0}};
        if (!wait_within_limit(watched, 2, wall_since, cpu_since)) return asking::too_slow;
        if ((watched[0].revents & (POLLIN | POLLHUP)) == 0) return asking::ended;
        request question{};
        if (!receive_all(socket_, &question, sizeof question)) return asking::ended;
        switch (question) {
            case request::next_command:
                asked_ = true;
                return asking::yes;
            case request::tick:
                wall_since = clock_type::now();
                cpu_since = cpu_->used();
                break;
            case request::last_picture:
                last_picture_ = receive_picture();
                return asking::ended;
            case request::waits_for_nothing:
                return asking::waits_for_nothing;
            default:
                return asking::ended;
        }
    }
}

bool replayed_program::send(const command& order) {
    asked_ = false;
    return send_all(socket_, &order, sizeof order);
}

// The size comes from the program: a picture beyond the limits is a broken conversation, not an allocation.
std::optional<image::picture> replayed_program::receive_picture() {
    picture_header header{};
    if (!receive_all(socket_, &header, sizeof header)) return std::nullopt;
    if (header.width == 0 && header.height == 0) return image::picture();
    if (!image::within_limits(header.width, header.height)) return std::nullopt;
    image::picture pic(static_cast<int>(header.width), static_cast<int>(header.height));
    if (!receive_all(socket_, pic.pixels.data(), pic.pixels.size() * sizeof pic.pixels[0])) return std::nullopt;
    return pic;
}

program_end replayed_program::wait_for_end() {
    if (reaped_) return end_;
    pollfd watched{child_ended[0], POLLIN, 0};
    if (!wait_within_limit(&watched, 1, clock_type::now(), cpu_->used())) return stop();
    return reap();
}

program_end replayed_program::stop() {
    kill(pid_, SIGKILL);
    killed_ = true;
    return reap();
}

program_end replayed_program::reap() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    const std::optional<program_end> reported = killed_ ? std::nullopt : reported_end(end_report_);
    if (reported)
        end_ = *reported;
    else if (WIFEXITED(status))
        end_ = {program_end::cause::exited, WEXITSTATUS(status)};
    else
        end_ = {killed_ ? program_end::cause::too_slow : program_end::cause::signalled, WTERMSIG(status)};
    return end_;
}

}  // namespace easel::replay
