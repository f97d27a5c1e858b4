// Replay scripts: one command a line, turned into the steps easel-replay plays.
#pragma once

#include "image.hpp"

#include <SDL.h>

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace easel::replay {

enum class step_kind {
    deliver,  // hand `event` to the program
    advance,  // let the clock run to `target_ms`
    snap,     // write the shown picture to `file`
    expect,   // compare the shown picture with `expected`, read from `file`
    close,    // end the program's event stream
};

struct step {
    int line = 0;
    step_kind kind = step_kind::close;
    SDL_Event event{};
    std::uint32_t target_ms = 0;
    std::string file;
    image::picture expected;
};

// Every faulty line of a script, each as "SCRIPT:LINE: message", one per line.
struct script_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The steps of a script; it always ends with a close step. Expected pictures are read here, so that a
// missing file is reported before anything runs. Throws script_error.
std::vector<step> parse_script(std::istream& text, const std::string& name);
std::vector<step> read_script(const std::string& path);

}  // namespace easel::replay
