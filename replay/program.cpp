#include "program.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
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

bool has_name(const std::string& entry, const std::string& name) { return entry.compare(0, name.size() + 1, name + "=") == 0; }

std::string current_value(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : value;
}

std::string joined(const std::string& first, char separator, const std::string& rest) {
    return rest.empty() ? first : first + separator + rest;
}

// The caller's environment with the hook preloaded, SDL's dummy video driver, and the hook's socket.
// An address-sanitised program would refuse a preloaded library that is not first in its link order.
std::vector<std::string> program_environment(const std::string& hook_path, int hook_socket) {
    const std::vector<std::pair<std::string, std::string>> settings = {
        {"LD_PRELOAD", joined(hook_path, ':', current_value("LD_PRELOAD"))},
        {"SDL_VIDEODRIVER", "dummy"},
        {socket_variable, std::to_string(hook_socket)},
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

[[noreturn]] void become_program(std::vector<std::string> command, std::vector<std::string> environment, int hook_socket) {
    fcntl(hook_socket, F_SETFD, 0);  // keep it across exec
    const std::vector<char*> arguments = c_strings(command);
    const std::vector<char*> variables = c_strings(environment);
    execvpe(arguments[0], arguments.data(), variables.data());
    std::fprintf(stderr, "easel-replay: cannot run %s: %s\n", arguments[0], std::strerror(errno));
    _exit(127);
}

int milliseconds(std::chrono::milliseconds duration) { return static_cast<int>(duration.count()); }

}  // namespace

replayed_program::replayed_program(const std::string& hook_path, const std::vector<std::string>& command,
                                   std::chrono::milliseconds limit)
    : limit_(limit) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) throw system_error("socketpair");
    socket_ = ends[0];
    // Bounds the reads that follow a request (a picture), like the wait for the request itself.
    const timeval receive_limit{static_cast<time_t>(limit.count() / 1000), static_cast<suseconds_t>(limit.count() % 1000 * 1000)};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &receive_limit, sizeof receive_limit);
    std::vector<std::string> environment = program_environment(hook_path, ends[1]);
    pid_ = fork();
    if (pid_ < 0) throw system_error("fork");
    if (pid_ == 0) become_program(command, std::move(environment), ends[1]);
    close(ends[1]);
    process_fd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));  // glibc's header lacks C++ linkage
    if (process_fd_ < 0) {
        stop();
        throw system_error("pidfd_open");
    }
}

replayed_program::~replayed_program() {
    if (!reaped_) stop();
    close(socket_);
    if (process_fd_ >= 0) close(process_fd_);
}

replayed_program::asking replayed_program::await_request() {
    pollfd watched[] = {{socket_, POLLIN, 0}, {process_fd_, POLLIN, 0}};
    int ready;
    do ready = poll(watched, 2, milliseconds(limit_));
    while (ready < 0 && errno == EINTR);
    if (ready == 0) return asking::too_slow;
    if ((watched[0].revents & POLLIN) == 0) return asking::ended;
    request question{};
    if (!receive_all(socket_, &question, sizeof question)) return asking::ended;
    return question == request::next_command ? asking::yes : asking::ended;
}

bool replayed_program::send(const command& order) { return send_all(socket_, &order, sizeof order); }

std::optional<image::picture> replayed_program::receive_picture() {
    picture_header header{};
    if (!receive_all(socket_, &header, sizeof header)) return std::nullopt;
    image::picture pic(static_cast<int>(header.width), static_cast<int>(header.height));
    if (!receive_all(socket_, pic.pixels.data(), pic.pixels.size() * sizeof pic.pixels[0])) return std::nullopt;
    return pic;
}

program_end replayed_program::wait_for_end() {
    pollfd watched{process_fd_, POLLIN, 0};
    int ready;
    do ready = poll(&watched, 1, milliseconds(limit_));
    while (ready < 0 && errno == EINTR);
    if (ready == 0) return stop();
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
    if (WIFEXITED(status)) return {program_end::cause::exited, WEXITSTATUS(status)};
    return {killed_ ? program_end::cause::too_slow : program_end::cause::signalled, WTERMSIG(status)};
}

}  // namespace easel::replay
