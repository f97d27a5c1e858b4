// SDL 1.2's surfaces and files for the browser: surfaces are plain memory in the desktop's pixel
// layout (32 bits, 0x00RRGGBB); a file is written only, and becomes a download when it is closed.
#include <SDL.h>

#include "bmp_writer.hpp"
#include "page.hpp"
#include "sdl_rules.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct SDL_RWops {
    std::string name;
    std::vector<Uint8> bytes;
};

namespace {

struct surface_block {
    SDL_Surface surface;
    SDL_PixelFormat format;
};

SDL_Surface* new_surface(int width, int height) {
    if (width <= 0 || height <= 0 || width > static_cast<int>(easel::sdl_rules::widest_surface)) return nullptr;
    auto* block = static_cast<surface_block*>(std::calloc(1, sizeof(surface_block)));
    void* pixels = std::calloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 4);
    if (!block || !pixels) {
        std::free(block);
        std::free(pixels);
        return nullptr;
    }
    block->format = {32, 4, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0, 0};
    block->surface = {SDL_SWSURFACE, &block->format, width, height, static_cast<Uint16>(width * 4), pixels, 1};
    return &block->surface;
}

Uint32* row_of(SDL_Surface* s, int y) { return static_cast<Uint32*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->w; }

// Cuts the span [start, start + length) to [0, limit); shifts the paired start along with it.
void clip_span(int& start, int& length, int& paired_start, int limit) {
    if (start < 0) {
        length += start;
        paired_start -= start;
        start = 0;
    }
    if (start + length > limit) length = limit - start;
}

// The rectangle given, or the whole surface without one.
SDL_Rect area_of(const SDL_Rect* rect, const SDL_Surface* s) {
    return rect ? *rect : SDL_Rect{0, 0, static_cast<Uint16>(s->w), static_cast<Uint16>(s->h)};
}

}  // namespace

extern "C" {

SDL_Surface* SDL_CreateRGBSurface(Uint32, int width, int height, int, Uint32, Uint32, Uint32, Uint32) {
    return new_surface(width, height);
}

void SDL_FreeSurface(SDL_Surface* surface) {
    // Screens stay allocated (see SDL_SetVideoMode).
    if (!surface || surface->flags & SDL_HWSURFACE || --surface->refcount > 0) return;
    std::free(surface->pixels);
    std::free(reinterpret_cast<surface_block*>(surface));
}

int SDL_LockSurface(SDL_Surface*) { return 0; }

void SDL_UnlockSurface(SDL_Surface*) {}

int SDL_FillRect(SDL_Surface* dst, SDL_Rect* dstrect, Uint32 color) {
    const SDL_Rect area = area_of(dstrect, dst);
    int x = area.x, y = area.y, w = area.w, h = area.h, unused = 0;
    clip_span(x, w, unused, dst->w);
    clip_span(y, h, unused, dst->h);
    for (int row = y; row < y + h; ++row) std::fill_n(row_of(dst, row) + x, std::max(w, 0), color);
    return 0;
}

int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key) {
    surface->flags = (surface->flags & ~SDL_SRCCOLORKEY) | (flag & SDL_SRCCOLORKEY);
    surface->format->colorkey = key;
    return 0;
}

// The source rectangle is clipped to the source, then the target to the destination; only the
// position of dstrect counts, and it is given back as the rectangle actually copied.
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
    const SDL_Rect area = area_of(srcrect, src);
    int sx = area.x, sy = area.y, w = area.w, h = area.h;
    int dx = dstrect ? dstrect->x : 0;
    int dy = dstrect ? dstrect->y : 0;
    clip_span(sx, w, dx, src->w);
    clip_span(sy, h, dy, src->h);
    clip_span(dx, w, sx, dst->w);
    clip_span(dy, h, sy, dst->h);
    w = std::max(w, 0);
    h = std::max(h, 0);
    const bool keyed = (src->flags & SDL_SRCCOLORKEY) != 0;
    const Uint32 key = src->format->colorkey;
    for (int row = 0; row < h; ++row) {
        const Uint32* from = row_of(src, sy + row) + sx;
        Uint32* to = row_of(dst, dy + row) + dx;
        for (int col = 0; col < w; ++col)
            if (!keyed || from[col] != key) to[col] = from[col];
    }
    if (dstrect) *dstrect = {static_cast<Sint16>(dx), static_cast<Sint16>(dy), static_cast<Uint16>(w), static_cast<Uint16>(h)};
    return 0;
}

// Only writing is offered: the file becomes a download named after the last part of its path when
// it is closed. A path that names no file there (empty, or ending in a folder) is refused, as the
// desktop cannot write one either.
SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    if (!file || !mode || std::strchr(mode, 'w') == nullptr) return nullptr;
    const std::string name = file;
    const std::string last = name.substr(name.find_last_of('/') + 1);
    if (last.empty() || last == "." || last == "..") return nullptr;
    return new SDL_RWops{name, {}};
}

int SDL_RWwrite(SDL_RWops* context, const void* data, int size, int count) {
    if (!context || !data || size < 0 || count < 0) return -1;
    const auto* bytes = static_cast<const Uint8*>(data);
    context->bytes.insert(context->bytes.end(), bytes, bytes + static_cast<std::size_t>(size) * count);
    return count;
}

int SDL_RWclose(SDL_RWops* context) {
    if (!context) return -1;
    const std::string& name = context->name;
    const std::string base = name.substr(name.find_last_of('/') + 1);
    easel_web_download(base.c_str(), context->bytes.data(), static_cast<int>(context->bytes.size()));
    delete context;
    return 0;
}

int SDL_SaveBMP_RW(SDL_Surface* surface, SDL_RWops* dst, int freedst) {    if (!surface || !dst) return -1;
    const std::vector<Uint8> bytes =
        easel::image::bmp_bytes(surface->w, surface->h, [surface](int x, int y) { return row_of(surface, y)[x]; });
    dst->bytes.insert(dst->bytes.end(), bytes.begin(), bytes.end());
    return freedst ? SDL_RWclose(dst) : 0;
}

}  // extern "C"
