// easel-replay [--timeout SECONDS] SCRIPT -- PROGRAM [ARGS...]
//
// Runs PROGRAM without a display, feeding it the input SCRIPT describes on a virtual clock, and writes
// or checks what it shows. README.md beside this file tells how.
#include "exit_status.hpp"
#include "image.hpp"
#include "program.hpp"
#include "script.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>

namespace {

using namespace easel::replay;

constexpr const char* usage = "usage: easel-replay [--timeout SECONDS] SCRIPT -- PROGRAM [ARGS...]\n";
constexpr std::chrono::milliseconds default_limit{10000};
constexpr double longest_limit_seconds = 24 * 3600;
constexpr std::size_t differences_shown = 5;

struct options {
    std::chrono::milliseconds limit = default_limit;
    std::string script;
    std::vector<std::string> command;
};

std::optional<std::chrono::milliseconds> parse_seconds(const char* text) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds > 0) || seconds > longest_limit_seconds) return std::nullopt;
    return std::chrono::milliseconds(static_cast<long>(std::ceil(seconds * 1000)));
}

std::optional<options> parse_arguments(int argc, char** argv) {
    options parsed;
    int next = 1;
    if (next + 1 < argc && std::strcmp(argv[next], "--timeout") == 0) {
        const auto limit = parse_seconds(argv[next + 1]);
        if (!limit) return std::nullopt;
        parsed.limit = *limit;
        next += 2;
    }
    if (next + 2 >= argc || std::strcmp(argv[next + 1], "--") != 0) return std::nullopt;
    parsed.script = argv[next];
    parsed.command.assign(argv + next + 2, argv + argc);
    return parsed;
}

// The hook is beside this executable in the build tree, and under easel's library directory once
// installed. Either way it is found from where this executable is.
std::string hook_path() {
    std::string executable(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", executable.data(), executable.size());
    executable.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::string directory = executable.substr(0, executable.rfind('/') + 1);
    const std::string beside = directory + EASEL_REPLAY_HOOK_FILE;
    const std::string installed = directory + EASEL_REPLAY_INSTALLED_HOOK;
    return access(beside.c_str(), R_OK) != 0 && access(installed.c_str(), R_OK) == 0 ? installed : beside;
}

void say(const std::string& message) { std::cerr << "easel-replay: " << message << std::endl; }

std::string hex_colour(std::uint32_t pixel) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06x", pixel);
    return text;
}

std::string size_text(const easel::image::picture& pic) {
    return std::to_string(pic.width) + "x" + std::to_string(pic.height);
}

std::string describe(const easel::image::comparison& result, const easel::image::picture& shown,
                     const easel::image::picture& expected) {
    if (!result.same_size) return "the screen is " + size_text(shown) + ", the picture " + size_text(expected);
    std::ostringstream text;
    text << result.differing << " pixel(s) differ";
    const char* separator = ": ";
    for (const auto& d : result.first) {
        text << separator << "(" << d.x << ", " << d.y << ") is " << hex_colour(d.actual) << ", expected "
             << hex_colour(d.expected);
        separator = "; ";
    }
    if (result.differing > static_cast<long>(result.first.size())) text << "; ...";
    return text.str();
}

command order_for(const step& s) {
    command order{};
    switch (s.kind) {
        case step_kind::deliver:
            order.kind = command_kind::deliver;
            order.event = s.event;
            break;
        case step_kind::advance:
            order.kind = command_kind::advance;
            order.target_ms = s.target_ms;
            break;
        case step_kind::snap:
        case step_kind::expect:
            order.kind = command_kind::snapshot;
            break;
        case step_kind::close:
            order.kind = command_kind::quit;
            break;
    }
    return order;
}

bool needs_picture(const step& s) { return s.kind == step_kind::snap || s.kind == step_kind::expect; }

// Plays the steps of a script against one program and works out the exit status.
class script_player {
public:
    script_player(const options& opts, std::vector<step> steps) : opts_(opts), steps_(std::move(steps)) {}

    int run(const std::string& hook) {
        replayed_program program(hook, opts_.command, opts_.limit);
        for (std::size_t next = 0; next < steps_.size(); ++next) {
            const step& s = steps_[next];
            const replayed_program::asking answer = program.await_request();
            if (answer == replayed_program::asking::too_slow) {
                report(s, "the program did not ask for its next event within " + limit_text() + "; it was stopped");
                return status_after(program.stop());
            }
            if (answer == replayed_program::asking::ended || !program.send(order_for(s))) {
                check_nothing_left_from(next);
                break;
            }
            if (needs_picture(s) && !take_picture(program, s)) {
                check_nothing_left_from(next);
                break;
            }
        }
        const program_end end = program.wait_for_end();
        if (end.how == program_end::cause::too_slow)
            say("the program did not end within " + limit_text() + " of its window closing; it was stopped");
        return status_after(end);
    }

private:
    void report(const step& s, const std::string& message) {
        say(opts_.script + ":" + std::to_string(s.line) + ": " + message);
    }

    std::string limit_text() const {
        std::ostringstream text;
        text << opts_.limit.count() / 1000.0 << " s";
        return text.str();
    }

    bool take_picture(replayed_program& program, const step& s) {
        const std::optional<easel::image::picture> shown = program.receive_picture();
        if (!shown) return false;
        if (s.kind == step_kind::snap)
            write_snapshot(*shown, s);
        else
            compare_with_expected(*shown, s);
        return true;
    }

    void write_snapshot(const easel::image::picture& shown, const step& s) {
        try {
            easel::image::write_image(shown, s.file);
        } catch (const easel::image::image_error& failure) {
            report(s, std::string("snap: ") + failure.what());
            replay_failed_ = true;
        }
    }

    void compare_with_expected(const easel::image::picture& shown, const step& s) {
        const easel::image::comparison result = easel::image::compare(shown, s.expected, differences_shown);
        if (result.differing == 0) return;
        report(s, "expect " + s.file + ": " + describe(result, shown, s.expected));
        expect_differed_ = true;
    }

    // The program ended before it took the step `first`: that matters only when a picture was still to be taken.
    void check_nothing_left_from(std::size_t first) {
        for (auto s = steps_.begin() + static_cast<long>(first); s != steps_.end(); ++s) {
            if (!needs_picture(*s)) continue;
            report(*s, "the program ended before this " + std::string(s->kind == step_kind::snap ? "snap" : "expect"));
            unfinished_ = true;
            return;
        }
    }

    int status_after(const program_end& end) const {
        switch (end.how) {
            case program_end::cause::too_slow:
                return exit_status::too_slow;
            case program_end::cause::signalled:
                say("the program was killed by signal " + std::to_string(end.value) + " (" + strsignal(end.value) + ")");
                return exit_status::crashed;
            case program_end::cause::exited:
                break;
        }
        if (end.value != 0) return end.value;
        if (replay_failed_) return exit_status::replay_failed;
        if (expect_differed_) return exit_status::expect_differed;
        if (unfinished_) return exit_status::unfinished;
        return 0;
    }

    const options& opts_;
    const std::vector<step> steps_;
    bool replay_failed_ = false;
    bool expect_differed_ = false;
    bool unfinished_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const std::optional<options> opts = parse_arguments(argc, argv);
    if (!opts) {
        std::cerr << usage;
        return exit_status::script_error;
    }
    std::vector<step> steps;
    try {
        steps = read_script(opts->script);
    } catch (const script_error& faults) {
        std::cerr << faults.what();
        return exit_status::script_error;
    }
    const std::string hook = hook_path();
    if (access(hook.c_str(), R_OK) != 0) {
        say("cannot find the hook " + hook);
        return exit_status::replay_failed;
    }
    try {
        return script_player(*opts, std::move(steps)).run(hook);
    } catch (const std::runtime_error& failure) {
        say(failure.what());
        return exit_status::replay_failed;
    }
}
