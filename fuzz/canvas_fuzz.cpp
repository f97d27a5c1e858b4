// Feeds arbitrary command sequences with arbitrary int and floating arguments to the window and to
// canvases of arbitrary sizes, copies between them both ways, copies of canvases and saves, opening
// and assigning through canvas& references that may be the window: nothing may read or write
// outside a surface, overflow, leak, leave the pen outside its canvas, or take the window's place.
#include <dlfcn.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include <SDL.h>

#include "fuzz_bytes.hpp"
#include "graphics.hpp"

using namespace easel;

namespace {

// The off-screen surfaces the library has made and not yet freed.
std::set<SDL_Surface*>& live_surfaces() {
    static std::set<SDL_Surface*> live;
    return live;
}

template <typename F>
F* sdl(const char* name) {
    return reinterpret_cast<F*>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// SDL keeps allocations of its own for every video mode it sets, which the leak check would report
// after every run that opens the window; this target counts the library's surfaces itself instead.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

// The library's calls of these land here first, so that each run can check it freed every surface.
SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int w, int h, int depth, Uint32 r, Uint32 g, Uint32 b, Uint32 a) {
    static const auto create = sdl<SDL_Surface*(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32)>(
        "SDL_CreateRGBSurface");
    SDL_Surface* s = create(flags, w, h, depth, r, g, b, a);
    if (s) live_surfaces().insert(s);
    return s;
}

void SDL_FreeSurface(SDL_Surface* s) {
    static const auto free_surface = sdl<void(SDL_Surface*)>("SDL_FreeSurface");
    if (s && s->refcount == 1) live_surfaces().erase(s);
    free_surface(s);
}

namespace {

class input : public fuzz_bytes {
public:
    using fuzz_bytes::fuzz_bytes;
    // Mostly small values near the edges, sometimes any int at all.
    int number() {
        const std::uint8_t kind = byte();
        return kind < 200 ? static_cast<int>(kind) - 20 : raw<int>();
    }
    // Small values with fractions, the edges of the int range, and any double at all.
    double real() {
        static const double edges[] = {std::nan(""), HUGE_VAL, -HUGE_VAL, 2147483647.99, 2147483648.0,
                                       -2147483648.99, -2147483649.0, 1e300, -0.99, 65535.5};
        const std::uint8_t kind = byte();
        if (kind < 200) return (static_cast<int>(kind) - 40) / 4.0;
        if (kind < 240) return edges[kind % (sizeof edges / sizeof edges[0])];
        return raw<double>();
    }
    detail::arg any() { return byte() & 1 ? detail::arg(number()) : detail::arg(real()); }
    // A side of any size, near SDL's limits or any int at all.
    int side() {
        const std::uint8_t kind = byte();
        if (kind < 160) return kind % 64;
        if (kind < 200) return 16380 + kind % 8;
        if (kind < 240) return 32764 + kind % 8;
        return raw<int>();
    }
};

// Sizes whose surfaces would take more than 64 KB are made smaller, so that no run allocates much;
// sizes that are refused anyway stay as they are.
void bound(int& width, int& height) {
    constexpr long long most_pixels = 1 << 14;
    if (width > 0 && height > 0 && static_cast<long long>(width) * height > most_pixels)
        height = static_cast<int>(std::max(1LL, most_pixels / width));
}

struct probe : canvas {
    // The pen of an off-screen canvas never leaves it (a copy of the window sees it resized).
    void check() const {
        if (buf && buf != SDL_GetVideoSurface() && (pt_x < 0 || pt_x >= buf->w || pt_y < 0 || pt_y >= buf->h))
            std::abort();
    }
    // The window draws on nothing but the window, whatever was done to it through a canvas&.
    static void check_window() {
        SDL_Surface* const shown = gout.*(&probe::buf);
        if (shown && shown != SDL_GetVideoSurface()) std::abort();
    }
};

void open_sized(canvas& c, input& in) {
    int w = in.side(), h = in.side();
    bound(w, h);
    c.open(static_cast<unsigned>(w), static_cast<unsigned>(h));
}

void open_window(input& in) {
    int w = in.side(), h = in.side();
    bound(w, h);
    gout.open(static_cast<unsigned>(w), static_cast<unsigned>(h));
}

const std::string& scratch_file() {
    static const std::string path = [] {
        char dir[] = "/tmp/easel-canvas-fuzz-XXXXXX";
        if (!mkdtemp(dir)) std::abort();
        static const std::string made = dir;
        std::atexit([] {
            std::remove((made + "/saved.bmp").c_str());
            std::remove(made.c_str());
        });
        return made + "/saved.bmp";
    }();
    return path;
}

void apply(canvas& target, canvas& other, input& in) {
    switch (in.byte() % 19) {
    case 0: target << color(in.any(), in.any(), in.any()); break;
    case 1: target << move(in.any(), in.any()); break;
    case 2: target << move_to(in.any(), in.any()); break;
    case 3: target << line(in.any(), in.any()); break;
    case 4: target << line_to(in.any(), in.any()); break;
    case 5: target << box(in.any(), in.any()); break;
    case 6: target << box_to(in.any(), in.any()); break;
    case 7: target << dot; break;
    case 8: {
        std::string s;
        for (int n = in.byte() % 24; n > 0; --n) s += static_cast<char>(in.byte());
        target << text(s);
        break;
    }
    case 9: target << stamp(other, in.any(), in.any()); break;
    case 10: {
        const detail::arg x1 = in.any(), y1 = in.any(), x2 = in.any(), y2 = in.any();
        target << stamp(other, x1, y1, x2, y2, in.any(), in.any());
        break;
    }
    case 11: other.transparent(in.byte() & 1); break;
    case 12: target.blitfrom(target, in.number(), in.number(), in.number(), in.number(), in.number(), in.number()); break;
    // Both ways between the window and a canvas.
    case 13: gout.blitfrom(target, in.number(), in.number(), in.number(), in.number(), in.number(), in.number()); break;
    case 14: target.blitfrom(gout, in.number(), in.number(), in.number(), in.number(), in.number(), in.number()); break;
    case 15: open_sized(other, in); break;
    // Copies share a surface (the window's too); the last one to go frees it.
    case 16: {
        canvas copy(target);
        copy << line(in.any(), in.any());
        other = copy;
        break;
    }
    case 17: open_window(in); break;
    case 18:
        if (in.byte() % 8 == 0) target.save(scratch_file());
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    input in(data, size);
    if (in.byte() % 4 == 0) open_window(in);
    probe a, b;
    open_sized(a, in);
    open_sized(b, in);
    for (int steps = 0; !in.empty() && steps < 64; ++steps) {
        const std::uint8_t pick = in.byte();
        canvas& target = pick % 3 == 0 ? static_cast<canvas&>(gout) : (pick % 3 == 1 ? a : b);
        // The other canvas, which is opened and assigned to, is sometimes the window.
        canvas& other = (pick & 24) == 24 ? static_cast<canvas&>(gout) : (pick & 4 ? b : a);
        apply(target, other, in);
        a.check();
        b.check();
        probe::check_window();
    }
    a = b = probe();
    live_surfaces().erase(SDL_GetVideoSurface());  // made through the same call, and SDL's
    if (!live_surfaces().empty()) std::abort();
    return 0;
}
