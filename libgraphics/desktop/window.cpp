// What every desktop's SDL has and a page's lacks: an event pump, error texts and a choice of video
// drivers; and explanations only when asked for. Shared by the desktop and Windows.
#include <SDL.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform.hpp"

namespace easel {

// Hands the window's input, and a close, to the library's event filter.
void platform::pump_window_input() { SDL_PumpEvents(); }

std::string platform::sdl_error() {
    const char* reason = SDL_GetError();
    return reason ? reason : "";
}

std::optional<std::string> platform::unasked_screenless_driver() {
    char name[64] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) return std::nullopt;
    const std::string driver = name;
    if (driver != "offscreen" && driver != "dummy") return std::nullopt;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked && std::string(asked).find(driver) != std::string::npos) return std::nullopt;
    const char* display = std::getenv("DISPLAY");
    return display && *display ? std::string(" at DISPLAY=") + display : std::string();
}

bool platform::explains_unasked() { return false; }

}  // namespace easel
