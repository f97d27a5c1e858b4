// What differs between the platforms the library runs on, behind one interface: desktop/ (POSIX:
// stop signals, the X display, files replaced atomically), windows/ (with the desktop's window part)
// and web/ (a page) each implement it, and the build picks one. Private.
#pragma once

#include <optional>
#include <string>

struct SDL_Surface;

namespace easel::platform {

// Before SDL starts: SIGINT and SIGTERM, where the program leaves them at their default, end the
// event stream at the next read instead of the program (a second one ends the program).
void take_stop_signals();
// True once such a signal came.
bool stop_requested();

// Once SDL has started: notes when the display goes away, so that the end does not wait on it.
void watch_display();
// True once the display went away: SDL must not be shut down then.
bool display_lost();

// Hands the window's pending input to the event filter without taking anything from SDL's queue.
void pump_window_input();

// Why SDL failed last, in its own words; empty where SDL keeps no error text.
std::string sdl_error();

// SDL falls back to a driver without a screen when the display it was given does not answer (an
// unreachable DISPLAY): a window would then be shown nowhere. That counts as a failure unless
// SDL_VIDEODRIVER asked for such a driver. Empty when a screen is there or was not wanted;
// otherwise the display asked for (" at DISPLAY=:5") or "", to name in the explanation.
std::optional<std::string> unasked_screenless_driver();

// Whether the library explains its silent refusals when EASEL_EXPLAIN is unset or empty: in a page
// it does, as nobody starts a page with a variable set; a program on a desktop stays quiet.
bool explains_unasked();

// Writes the surface to file through internal::write_picture, or says in why what went wrong. On
// the desktop a file that was there is replaced only by a complete picture, and left as it was on
// failure; in a page the file is a download.
bool save(SDL_Surface* surface, const std::string& file, std::string& why);

}  // namespace easel::platform
