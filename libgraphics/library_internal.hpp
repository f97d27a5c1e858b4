// What the library's own sources share: direct pixel access, the limits of a surface, and the
// hand-offs between the canvas, text, screen and input files. Private.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <string>

#include "graphics.hpp"
#include "sdl_rules.hpp"

namespace easel::internal {

// Locks the surface for direct pixel access where SDL requires it; false when the pixels cannot
// be reached, and then nothing may be drawn.
class pixel_access {
public:
    explicit pixel_access(SDL_Surface* s)
        : surface(s), locked(SDL_MUSTLOCK(s) && SDL_LockSurface(s) == 0),
          usable((locked || !SDL_MUSTLOCK(s)) && s->pixels != nullptr) {}
    ~pixel_access() {
        if (locked) SDL_UnlockSurface(surface);
    }
    pixel_access(const pixel_access&) = delete;
    pixel_access& operator=(const pixel_access&) = delete;
    explicit operator bool() const { return usable; }

private:
    SDL_Surface* surface;
    bool locked;
    bool usable;
};

inline Uint32& pixel(SDL_Surface* screen, int x, int y) {
    auto* row = static_cast<Uint8*>(screen->pixels) + static_cast<std::ptrdiff_t>(y) * screen->pitch;
    return reinterpret_cast<Uint32*>(row)[x];
}

// The size is one SDL can make a 32-bit surface of.
inline bool fits(unsigned width, unsigned height) {
    return width > 0 && height > 0 && width <= sdl_rules::widest_surface && height <= sdl_rules::highest_surface;
}

// The surface is what every drawing assumes: the size asked for, rows long enough for it, and
// 32-bit pixels 0x00RRGGBB.
inline bool as_asked(const SDL_Surface* s, unsigned width, unsigned height) {
    const SDL_PixelFormat* f = s->format;
    return s->w == static_cast<int>(width) && s->h == static_cast<int>(height) && s->pitch >= 4 * s->w &&
           f->BytesPerPixel == 4 && f->Rmask == 0xFF0000u && f->Gmask == 0xFF00u && f->Bmask == 0xFFu;
}

// The pen stays on its surface, but a copy of the window keeps its pen when the window is opened
// again smaller.
inline bool pen_on(const SDL_Surface* s, int x, int y) { return s && x >= 0 && x < s->w && y >= 0 && y < s->h; }

// Text is read as UTF-8 when it is well-formed UTF-8 with at least one multi-byte character;
// any other string byte by byte, as ISO-8859-2 codes (text.cpp).
bool reads_as_utf8(const std::string& s);

// What a command on a canvas that is not open is told to do (canvas.cpp).
std::string not_open_advice(bool window);
// "(x, y)", for explanations (canvas.cpp).
std::string point(long long x, long long y);
// Tells what the inline paths kept to explain on the canvas (see canvas_internals::keep). Every
// out-of-line call that draws, shows, saves, waits or replaces the surface calls it first.
inline void tell_kept(const canvas& c) {
    if (detail::canvas_internals::has_kept(c)) detail::canvas_internals::tell_kept(c);
}
// Explains why opening a canvas or the window of that size failed (canvas.cpp).
void explain_open_refused(const std::string& call, unsigned width, unsigned height);

// The event filter that moves the window's input into the library's backlog and notes a close
// (input.cpp); the screen installs it when SDL starts.
int take_window_input(const SDL_Event* e);

// Writes the picture to out as a PNG when the name ends in .png, else as a BMP; closes out, and
// is false when out is null (screen.cpp). The platforms' saves write through it.
bool write_picture(SDL_Surface* surface, SDL_RWops* out, const std::string& name);

}  // namespace easel::internal
