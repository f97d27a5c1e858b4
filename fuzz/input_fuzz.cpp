// Feeds arbitrary SDL event sequences through gin: pushed into SDL's queue as a program's own
// thread would, or handed to the library's event filter as SDL's pump hands over window input,
// with the timer started and stopped in between and quits anywhere. Every read must return with a
// record that fits its type, and once the stream has ended every read gives all zeros. Now and then
// more window input comes than the library keeps: what it keeps must come in order.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>
#include <utility>

#include "fuzz_bytes.hpp"
#include "graphics.hpp"

using namespace easel;

namespace {

constexpr int window_size = 200;
// Window input handed over per input stays far below what the library keeps, so every pad and
// the marker fit.
constexpr int max_steps = 4096;
// The button of the marker that ends each input's events; the fuzzed events never carry it.
constexpr Uint8 marker_button = 77;
// Window input the library keeps unread; what comes on top of that is dropped.
constexpr int library_backlog = 1 << 14;

void require(bool holds) {
    if (!holds) std::abort();
}

// The stream ends for good at a quit; between runs the fuzzer opens it again through the one flag
// that holds that state.
void reopen() {
    static_assert(std::is_standard_layout_v<grinput> && sizeof(grinput) == sizeof(bool));
    *reinterpret_cast<bool*>(&gin) = false;
}

Uint8 any_button(fuzz_bytes& in) {
    const Uint8 b = in.byte();
    return b == marker_button ? b + 1 : b;
}

// Any event of any type the library may meet (all but the window manager's, which carries a
// pointer SDL owns), every field from the input.
SDL_Event any_event(fuzz_bytes& in) {
    static constexpr Uint8 types[] = {SDL_ACTIVEEVENT,     SDL_KEYDOWN,       SDL_KEYUP,        SDL_MOUSEMOTION,
                                      SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_JOYAXISMOTION, SDL_JOYBUTTONDOWN,
                                      SDL_QUIT,            SDL_VIDEORESIZE,   SDL_VIDEOEXPOSE,  SDL_USEREVENT,
                                      SDL_USEREVENT + 5,   SDL_NOEVENT};
    SDL_Event e = {};
    e.type = types[in.byte() % std::size(types)];
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        e.key.state = in.byte();
        e.key.keysym.scancode = in.byte();
        e.key.keysym.sym = static_cast<SDLKey>(in.raw<Uint16>() % 512);  // every value the enum holds
        e.key.keysym.mod = static_cast<SDLMod>(in.raw<Uint16>());
        e.key.keysym.unicode = in.raw<Uint16>();
        break;
    case SDL_MOUSEMOTION:
        e.motion.state = in.byte();
        e.motion.x = in.raw<Uint16>();
        e.motion.y = in.raw<Uint16>();
        e.motion.xrel = in.raw<Sint16>();
        e.motion.yrel = in.raw<Sint16>();
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        e.button.button = any_button(in);
        e.button.state = in.byte();
        e.button.x = in.raw<Uint16>();
        e.button.y = in.raw<Uint16>();
        break;
    case SDL_USEREVENT:
        e.user.code = in.raw<Sint32>();
        break;
    default:
        e.active.gain = in.byte();
        e.active.state = in.byte();
        break;
    }
    return e;
}

bool zero(const event& ev) {
    return ev.keycode == 0 && ev.pos_x == 0 && ev.pos_y == 0 && ev.button == 0 && ev.time == 0 && ev.type == 0;
}

void check_record(const event& ev) {
    const bool on_window = ev.pos_x >= 0 && ev.pos_x < window_size && ev.pos_y >= 0 && ev.pos_y < window_size;
    switch (ev.type) {
    case ev_key:
        require(ev.keycode != 0 && ev.pos_x == 0 && ev.pos_y == 0 && ev.button == 0 && ev.time == 0);
        break;
    case ev_mouse:
        require(ev.keycode == 0 && on_window && ev.time == 0);
        break;
    case ev_timer:
        require(ev.keycode == 0 && ev.pos_x == 0 && ev.pos_y == 0 && ev.button == 0);
        break;
    default:
        require(false);
    }
}

// Reads one event; an ended stream must stay ended and zero, and is then opened again. Never
// blocks while window input waits, as the marker or a pad handed over before the read does.
event read_one() {
    event ev;
    gin >> ev;
    if (gin) {
        check_record(ev);
        return ev;
    }
    require(zero(ev));
    gin >> ev;
    require(!gin && zero(ev));
    reopen();
    return ev;
}

void hand_over_marker(SDL_EventFilter take_window_input) {
    SDL_Event marker = {};
    marker.type = SDL_MOUSEBUTTONDOWN;
    marker.button.button = marker_button;
    marker.button.state = SDL_PRESSED;
    take_window_input(&marker);
}

bool is_marker(const event& ev) { return ev.type == ev_mouse && ev.button == marker_button; }

// Takes everything this input left behind, up to a marker handed over last.
void drain(SDL_EventFilter take_window_input) {
    gin.timer(0);
    hand_over_marker(take_window_input);
    for (event ev = read_one(); !is_marker(ev); ev = read_one()) {
    }
}

// More window input than the library keeps, each a motion to its own place, with the timer running:
// the first library_backlog are read in order between the ticks, the rest are dropped.
void flood(SDL_EventFilter take_window_input, fuzz_bytes& in) {
    drain(take_window_input);
    const int sent = library_backlog + 1 + in.byte();
    gin.timer(in.byte() % 3);
    const auto place = [](int i) { return std::pair(i % window_size, i / window_size % window_size); };
    for (int i = 0; i < sent; ++i) {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = static_cast<Uint16>(place(i).first);
        e.motion.y = static_cast<Uint16>(place(i).second);
        take_window_input(&e);
    }
    for (int i = 0; i < library_backlog;) {
        const event ev = read_one();
        if (ev.type == ev_timer) continue;
        require(ev.type == ev_mouse && ev.button == 0 && std::pair(ev.pos_x, ev.pos_y) == place(i));
        ++i;
    }
    gin.timer(0);
    hand_over_marker(take_window_input);
    event next = read_one();
    while (next.type == ev_timer) next = read_one();
    require(is_marker(next));
}

}  // namespace

// SDL keeps allocations of its own for the video mode, which the leak check after a run would report
// as soon as any run leaves memory allocated; full allocation stacks let it tell those from ours.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:SDL_SetVideoMode\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!gout.open(window_size, window_size)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SDL_EventFilter take_window_input = SDL_GetEventFilter();
    require(take_window_input != nullptr);
    fuzz_bytes in(data, size);
    for (int step = 0; !in.empty() && step < max_steps; ++step) {
        switch (in.byte() % 5) {
        case 0: {
            SDL_Event e = any_event(in);
            SDL_PushEvent(&e);
            break;
        }
        case 1: {
            const SDL_Event e = any_event(in);
            take_window_input(&e);
            break;
        }
        case 2:
            if (in.byte() == 0xFF) {
                flood(take_window_input, in);
            } else {
                gin.timer(static_cast<int>(in.byte() % 24) - 4);
            }
            break;
        default: {
            SDL_Event pad = {};
            pad.type = SDL_MOUSEMOTION;
            pad.motion.x = in.raw<Uint16>();
            pad.motion.y = in.raw<Uint16>();
            take_window_input(&pad);
            read_one();
            break;
        }
        }
    }
    drain(take_window_input);
    return 0;
}
