// easel-replay [--timeout SECONDS] [--wall-timeout SECONDS] [--cgroup DIR] [--out DIR] [--result FILE] SCRIPT -- PROGRAM [ARGS...]
// easel-replay --words SCRIPT
//
// Runs PROGRAM without a display, feeding it the input SCRIPT describes on a virtual clock, and writes
// or checks what it shows. README.md beside this file tells how.
#include "exit_status.hpp"
#include "image.hpp"
#include "program.hpp"
#include "saved_file.hpp"
#include "script.hpp"

#include <fcntl.h>
#include <sys/stat.h>
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
using easel::image::picture;

constexpr const char* usage =
    "usage: easel-replay [--timeout SECONDS] [--wall-timeout SECONDS] [--cgroup DIR] [--out DIR] [--result FILE]\n"
    "                    SCRIPT -- PROGRAM [ARGS...]\n"
    "Runs PROGRAM headless with the input SCRIPT describes; see docs/replay.md.\n"
    "  --timeout SECONDS  how much CPU time the program may take to ask for its next event (default 10);\n"
    "                     on the clock, five times that unless --wall-timeout says otherwise\n"
    "  --wall-timeout SECONDS  how long on the clock, for a program that waits for what never comes\n"
    "  --cgroup DIR       a control group holding only PROGRAM and easel-replay, to read PROGRAM's CPU time\n"
    "  --out DIR          where a failed expect leaves its .actual.png and .diff.png (default: here)\n"
    "  --result FILE      where the outcome is written as one JSON object, whatever the program prints\n"
    "usage: easel-replay --words SCRIPT\n"
    "Checks SCRIPT and prints the words of each command, one JSON line each: {\"line\": N, \"words\": [...]}.\n";
constexpr std::chrono::milliseconds default_limit{10000};
// A program that waits for something that never comes uses no CPU time: the clock stops it.
constexpr int wall_per_cpu = 5;
constexpr double longest_limit_seconds = 24 * 3600;

struct options {
    std::chrono::milliseconds limit = default_limit;
    std::optional<std::chrono::milliseconds> wall_limit;
    std::string control_group;
    std::string out = ".";
    std::string result;
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
    for (; next + 1 < argc && argv[next][0] == '-' && std::strcmp(argv[next], "--") != 0; next += 2) {
        if (std::strcmp(argv[next], "--timeout") == 0) {
            const auto limit = parse_seconds(argv[next + 1]);
            if (!limit) return std::nullopt;
            parsed.limit = *limit;
        } else if (std::strcmp(argv[next], "--wall-timeout") == 0) {
            parsed.wall_limit = parse_seconds(argv[next + 1]);
            if (!parsed.wall_limit) return std::nullopt;
        } else if (std::strcmp(argv[next], "--cgroup") == 0) {
            parsed.control_group = argv[next + 1];
            if (parsed.control_group.empty()) return std::nullopt;
        } else if (std::strcmp(argv[next], "--out") == 0) {
            parsed.out = argv[next + 1];
        } else if (std::strcmp(argv[next], "--result") == 0) {
            parsed.result = argv[next + 1];
        } else {
            return std::nullopt;
        }
    }
    if (next + 2 >= argc || std::strcmp(argv[next + 1], "--") != 0) return std::nullopt;
    parsed.script = argv[next];
    parsed.command.assign(argv + next + 2, argv + argc);
    return parsed;
}

// A JSON string of the bytes of text; bytes above 0x7f are passed on as they are.
std::string json_string(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// What other tools read of a script instead of splitting its lines again: its commands' words.
int print_words(const std::string& script) {
    try {
        for (const command_words& command : read_script_words(script)) {
            std::cout << "{\"line\": " << command.line << ", \"words\": [";
            for (std::size_t i = 0; i < command.words.size(); ++i)
                std::cout << (i ? ", " : "") << json_string(command.words[i]);
            std::cout << "]}\n";
        }
    } catch (const script_error& faults) {
        std::cerr << faults.what();
        return exit_status::script_error;
    }
    return std::cout.flush() ? 0 : exit_status::replay_failed;
}

bool asks_for_help(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
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

void say(const std::string& message) { std::cerr << "easel-replay: " << printable(message) << std::endl; }

bool writable_directory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && access(path.c_str(), W_OK) == 0;
}

std::string hex_colour(std::uint32_t pixel) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06x", pixel);
    return text;
}

std::string size_text(const picture& pic) { return std::to_string(pic.width) + "x" + std::to_string(pic.height); }

std::string region_text(const easel::image::region& r) {
    return std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.width) + " " + std::to_string(r.height);
}

std::string describe(const easel::image::comparison& result, const step& s, const picture& shown,
                     const picture& expected) {
    const std::string seen = s.saved.empty() ? "the screen" : s.saved;
    if (!result.same_size && s.rules.area)
        return "the region " + region_text(*s.rules.area) + " does not lie inside both " + seen + " (" +
               size_text(shown) + ") and the picture (" + size_text(expected) + ")";
    if (!result.same_size) return seen + " is " + size_text(shown) + ", the picture " + size_text(expected);
    std::ostringstream text;
    text << result.differing << " pixel(s) differ";
    if (s.rules.tolerance > 0) text << " by more than " << s.rules.tolerance;
    const char* separator = ": ";
    for (const auto& d : result.first) {
        text << separator << "(" << d.x << ", " << d.y << ") is " << hex_colour(d.actual) << ", expected "
             << hex_colour(d.expected);
        separator = "; ";
    }
    if (result.differing > static_cast<long>(result.first.size())) text << "; ...";
    return text.str();
}

// "dir/square.png" gives "square".
std::string stem(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    return dot == 0 || dot == std::string::npos ? name : name.substr(0, dot);
}

// How a run ended: easel-replay's exit status, its name, how the program ended (once it ran), the
// pixels that differed over every expect and why the first picture that could not be compared could not.
struct run_result {
    int status = 0;
    const char* outcome = "passed";
    std::optional<program_end> end;
    long differing_pixels = 0;
    std::string unreadable;
};

run_result failed_before_run(int status, const char* outcome) { return {status, outcome, std::nullopt, 0, ""}; }

std::string program_end_json(const std::optional<program_end>& end) {
    if (!end) return "null";
    switch (end->how) {
        case program_end::cause::exited:
            return "{\"exit\": " + std::to_string(end->value) + "}";
        case program_end::cause::signalled:
            return "{\"signal\": " + std::to_string(end->value) + "}";
        case program_end::cause::too_slow:
            break;
    }
    return "{\"stopped\": true}";
}

// The outcome for a tool that runs easel-replay, in a file the program cannot reach: unlike the exit
// status and the messages, nothing the program does or prints can forge it.
bool write_result(int fd, const run_result& result) {
    const std::string text = "{\"status\": " + std::to_string(result.status) + ", \"outcome\": \"" + result.outcome +
                             "\", \"program\": " + program_end_json(result.end) +
                             ", \"differing_pixels\": " + std::to_string(result.differing_pixels) +
                             ", \"unreadable\": " + json_string(result.unreadable) + "}\n";
    return write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && close(fd) == 0;
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
        case step_kind::await_exit:
        case step_kind::close:
            order.kind = command_kind::quit;
            break;
    }
    return order;
}

bool needs_picture(const step& s) { return s.kind == step_kind::snap || s.kind == step_kind::expect; }
bool needs_screen(const step& s) { return needs_picture(s) && s.saved.empty(); }

// Plays the steps of a script against one program and works out the exit status.
class script_player {
public:
    script_player(const options& opts, std::vector<step> steps) : opts_(opts), steps_(std::move(steps)) {}

    run_result run(const std::string& hook) {
        replayed_program program(hook, opts_.command, {opts_.limit, wall_limit()}, opts_.control_group);
        for (const step& s : steps_) {
            if (!ended_) {
                const replayed_program::asking answer = program.await_request();
                if (answer == replayed_program::asking::too_slow) {
                    report(s, s.kind == step_kind::await_exit
                                  ? "wait exit: the program did not end within " + limit_text() + "; it was stopped"
                                  : "the program did not ask for its next event within " + limit_text() +
                                        "; it was stopped");
                    return result_after(program.stop());
                }
                if (answer == replayed_program::asking::waits_for_nothing) {
                    report(s, "the program waits for input, but it has no window open and no timer running, so "
                              "nothing can ever arrive (was gout.open not called, or did it fail?); it was stopped");
                    const program_end end = program.stop();
                    return run_result{exit_status::waits_for_nothing, "waits-for-nothing", end, differing_pixels_,
                                      unreadable_};
                }
                if (answer == replayed_program::asking::yes && s.kind == step_kind::await_exit) {
                    report(s, "wait exit: the program asked for another event instead of ending; it was stopped");
                    return result_after(program.stop());
                }
                ended_ = answer == replayed_program::asking::ended;
            }
            if (s.kind == step_kind::await_exit)
                waited_for_exit_ = true;
            else if (ended_)
                take_after_end(s, program.last_picture());
            else
                take(s, program);
        }
        const program_end end = program.wait_for_end();
        if (end.how == program_end::cause::too_slow)
            say("the program did not end within " + limit_text() + " of its window closing; it was stopped");
        return result_after(end);
    }

private:
    void report(const step& s, const std::string& message) {
        say(opts_.script + ":" + std::to_string(s.line) + ": " + message);
    }

    std::chrono::milliseconds wall_limit() const { return opts_.wall_limit.value_or(opts_.limit * wall_per_cpu); }

    std::string limit_text() const {
        std::ostringstream text;
        text << opts_.limit.count() / 1000.0 << " s of CPU time (" << wall_limit().count() / 1000.0 << " s on the clock)";
        return text.str();
    }

    // A step while the program runs and waits for its next command.
    void take(const step& s, replayed_program& program) {
        if (needs_picture(s) && !needs_screen(s)) return check_expectation(s, nullptr);
        if (!program.send(order_for(s))) {
            ended_ = true;
            return take_after_end(s, std::nullopt);
        }
        if (!needs_screen(s)) return;
        const std::optional<picture> shown = program.receive_picture();
        if (!shown) {
            ended_ = true;
            return take_after_end(s, std::nullopt);
        }
        use_picture(s, *shown);
    }

    // After `wait exit` pictures show what the program showed last; before it, they cannot be taken.
    void take_after_end(const step& s, const std::optional<picture>& last) {
        if (!needs_picture(s)) return;
        if (!waited_for_exit_) return unfinished(s, "the program ended before this " + std::string(s.kind == step_kind::snap ? "snap" : "expect"));
        if (!needs_screen(s)) return check_expectation(s, nullptr);
        if (!last || last->pixels.empty()) return unfinished(s, "the program ended without showing a picture");
        use_picture(s, *last);
    }

    void unfinished(const step& s, const std::string& message) {
        if (!unfinished_) report(s, message);
        unfinished_ = true;
    }

    void use_picture(const step& s, const picture& shown) {
        if (s.kind == step_kind::snap)
            write_snapshot(shown, s);
        else
            check_expectation(s, &shown);
    }

    void write_snapshot(const picture& shown, const step& s) {
        try {
            easel::image::write_image(shown, s.file);
        } catch (const easel::image::image_error& failure) {
            report(s, std::string("snap: ") + failure.what());
            replay_failed_ = true;
        }
    }

    // Both pictures are read now: the program may have written either during the run.
    void check_expectation(const step& s, const picture* screen) {
        picture expected;
        picture actual;
        try {
            expected = easel::image::read_image(s.file);
            actual = screen ? *screen : read_saved_picture(s.saved);
        } catch (const easel::image::image_error& failure) {
            report(s, std::string("expect: ") + failure.what());
            if (unreadable_.empty()) unreadable_ = failure.what();
            expect_differed_ = true;
            return;
        }
        const easel::image::comparison result = easel::image::compare(actual, expected, s.rules);
        if (result.differing == 0) return;
        expect_differed_ = true;
        differing_pixels_ += result.differing;
        report(s, "expect " + s.file + ": " + describe(result, s, actual, expected) + leave_pictures(actual, expected, s));
    }

    // Writes what was seen and where it differs into the --out directory; says where.
    std::string leave_pictures(const picture& actual, const picture& expected, const step& s) {
        const std::string base = (opts_.out == "." ? "" : opts_.out + "/") + stem(s.file);
        const std::string actual_file = base + ".actual.png";
        const std::string diff_file = base + ".diff.png";
        try {
            if (!actual.pixels.empty()) easel::image::write_image(actual, actual_file);
            easel::image::write_image(easel::image::difference_picture(actual, expected, s.rules), diff_file);
        } catch (const easel::image::image_error& failure) {
            replay_failed_ = true;
            return std::string(" (") + failure.what() + ")";
        }
        return actual.pixels.empty() ? " (see " + diff_file + ")" : " (see " + actual_file + " and " + diff_file + ")";
    }

    run_result result_after(const program_end& end) const {
        const auto result = [&](int status, const char* outcome) {
            return run_result{status, outcome, end, differing_pixels_, unreadable_};
        };
        switch (end.how) {
            case program_end::cause::too_slow:
                return result(exit_status::too_slow, "too-slow");
            case program_end::cause::signalled:
                say("the program was killed by signal " + std::to_string(end.value) + " (" + strsignal(end.value) + ")");
                return result(exit_status::crashed, "crashed");
            case program_end::cause::exited:
                break;
        }
        if (end.value != 0) return result(end.value, "exit-status");
        if (replay_failed_) return result(exit_status::replay_failed, "replay-failed");
        if (expect_differed_) return result(exit_status::expect_differed, "differs");
        if (unfinished_) return result(exit_status::unfinished, "ended-early");
        return result(0, "passed");
    }

    const options& opts_;
    const std::vector<step> steps_;
    bool ended_ = false;
    bool waited_for_exit_ = false;
    bool replay_failed_ = false;
    bool expect_differed_ = false;
    bool unfinished_ = false;
    long differing_pixels_ = 0;
    std::string unreadable_;
};

run_result replay(const options& opts) {
    if (!cpu_clock::readable(opts.control_group)) {
        say("--cgroup " + opts.control_group + ": no CPU time to read (cpu.stat or cpuacct.usage)");
        return failed_before_run(exit_status::script_error, "script-error");
    }
    if (!writable_directory(opts.out)) {
        say("--out " + opts.out + ": not a writable directory");
        return failed_before_run(exit_status::script_error, "script-error");
    }
    std::vector<step> steps;
    try {
        steps = read_script(opts.script);
        check_files(steps, opts.script);
    } catch (const script_error& faults) {
        std::cerr << faults.what();
        return failed_before_run(exit_status::script_error, "script-error");
    }
    const std::string hook = hook_path();
    if (access(hook.c_str(), R_OK) != 0) {
        say("cannot find the hook " + hook);
        return failed_before_run(exit_status::replay_failed, "replay-failed");
    }
    try {
        return script_player(opts, std::move(steps)).run(hook);
    } catch (const start_failure& failure) {
        say(failure.what());
        return failed_before_run(exit_status::cannot_start, "cannot-start");
    } catch (const std::runtime_error& failure) {
        say(failure.what());
        return failed_before_run(exit_status::replay_failed, "replay-failed");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (asks_for_help(argc, argv)) {
        std::cout << usage;
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--words") == 0) return print_words(argv[2]);
    const std::optional<options> opts = parse_arguments(argc, argv);
    if (!opts) {
        std::cerr << usage;
        return exit_status::script_error;
    }
    int result_file = -1;
    if (!opts->result.empty()) {
        result_file = open(opts->result.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (result_file < 0) {
            say("--result " + opts->result + ": " + std::strerror(errno));
            return exit_status::script_error;
        }
    }
    const run_result result = replay(*opts);
    if (result_file >= 0 && !write_result(result_file, result)) {
        say("--result " + opts->result + ": cannot be written");
        return exit_status::replay_failed;
    }
    return result.status;
}
