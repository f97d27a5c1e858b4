// Replay scripts: one command a line, turned into the steps easel-replay plays.
#pragma once

#include "image.hpp"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace easel::replay {

// Bounds that keep a hostile or broken script cheap to refuse.
inline constexpr std::size_t longest_script = 1 << 20;  // bytes
inline constexpr std::size_t longest_line = 4096;       // bytes
inline constexpr std::size_t most_steps = 100000;       // a key, click or typed character is two

enum class step_kind {
    deliver,     // hand `event` to the program
    advance,     // let the clock run to `target_ms`
    snap,        // write the shown picture to `file`
    expect,      // compare the shown picture (or the file `saved`) with the picture in `file`
    await_exit,  // give the program nothing more and let it end by itself
    close,       // end the program's event stream
};

struct step {
    int line = 0;
    step_kind kind = step_kind::close;
    SDL_Event event{};
    std::uint32_t target_ms = 0;
    std::string file;
    std::string saved;  // expect ... from SAVED: a file the program wrote, compared instead of the screen
    image::comparison_rules rules;
};

// Every faulty line of a script, each as "SCRIPT:LINE: message", one per line.
struct script_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The steps of a script; after the last input comes a close or a wait exit step, always one of them. Only the text is looked at:
// files are checked by check_files, expected pictures read when their step is reached. Throws script_error.
std::vector<step> parse_script(const std::string& text, const std::string& name);
std::vector<step> read_script(const std::string& path);

// The words of each command line of a script that parse_script accepts, as it splits them (quotes
// removed); comments and blank lines are left out. Throws script_error where parse_script would.
struct command_words {
    int line = 0;
    std::vector<std::string> words;
};
std::vector<command_words> read_script_words(const std::string& path);

// Refuses, before anything runs, snap files that cannot be written: a missing or read-only directory,
// or a directory in the file's place. Throws script_error.
void check_files(const std::vector<step>& steps, const std::string& name);

// The text with control bytes written as \xNN, so that a message shows what it quotes and nothing else.
std::string printable(const std::string& text);

}  // namespace easel::replay
