// The page's side of the platform interface: no signals, no display to lose, no error texts, and
// a save is a download.
#include <SDL.h>

#include <optional>
#include <string>

#include "library_internal.hpp"
#include "platform.hpp"

namespace easel {

void platform::take_stop_signals() {}

bool platform::stop_requested() { return false; }

// A page has no display to lose, and loads no library at run time.
void platform::watch_display() {}

bool platform::display_lost() { return false; }

// A page's input passes the event filter as it arrives: there is nothing to pump.
void platform::pump_window_input() {}

// The page's SDL layer keeps no error text.
std::string platform::sdl_error() { return {}; }

// The page is the screen.
std::optional<std::string> platform::unasked_screenless_driver() { return std::nullopt; }

bool platform::explains_unasked() { return true; }

// In a page the file is a download, and there is no old file to keep.
bool platform::save(SDL_Surface* surface, const std::string& file, std::string& why) {
    if (internal::write_picture(surface, SDL_RWFromFile(file.c_str(), "wb"), file)) return true;
    why = "the page could not offer it";
    return false;
}

}  // namespace easel
