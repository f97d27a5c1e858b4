// Pixel access for tests: the window through SDL's video surface, off-screen canvases through
// probe_canvas, which exposes the surface a canvas draws on.
#pragma once

#include <SDL.h>

#include <utility>
#include <vector>

#include "graphics.hpp"

namespace easel_test {

struct probe_canvas : easel::canvas {
    using canvas::canvas;
    SDL_Surface* surface() const { return buf; }
    int color() const { return draw_clr; }
    bool is_transparent() const { return transp; }
};

using point = std::pair<int, int>;

Uint32 pixel_at(SDL_Surface* s, int x, int y);
void set_pixel(SDL_Surface* s, int x, int y, Uint32 value);
// The window's pixel at (x, y).
Uint32 screen_pixel(int x, int y);
// Every pixel of s that is not 0, in row order.
std::vector<point> lit_pixels(SDL_Surface* s);
// Fills s with one value.
void fill(SDL_Surface* s, Uint32 value);

// For a test that needs a process in which the library has not been used yet (its name ends in
// _InFreshProcess): true in such a process, where the test body runs. Otherwise it runs the current
// test alone in a new process of this test program, reports that run's failure, and returns false.
bool in_fresh_process();

}  // namespace easel_test
