#include "surface_probe.hpp"

namespace easel_test {

namespace {
Uint32* address(SDL_Surface* s, int x, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch) + x;
}
}  // namespace

Uint32 pixel_at(SDL_Surface* s, int x, int y) { return *address(s, x, y); }

void set_pixel(SDL_Surface* s, int x, int y, Uint32 value) { *address(s, x, y) = value; }

Uint32 screen_pixel(int x, int y) { return pixel_at(SDL_GetVideoSurface(), x, y); }

std::vector<point> lit_pixels(SDL_Surface* s) {
    std::vector<point> lit;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (pixel_at(s, x, y) != 0) lit.emplace_back(x, y);
    return lit;
}

void fill(SDL_Surface* s, Uint32 value) { SDL_FillRect(s, nullptr, value); }

}  // namespace easel_test
