// Preloaded into a program run by easel-replay. It replaces SDL's event wait, clock and timers with a
// virtual clock and the script's input, both served by easel-replay over a socket, and keeps a copy of
// the picture each SDL_Flip shows. Everything runs on the thread that waits for events: there is no timer
// thread, so a tick happens exactly when the clock reaches it. Timer periods are rounded as SDL rounds
// them on screen (sdl_rules.hpp), so that a replay shows the ticks a student sees.
#include "protocol.hpp"
#include "sdl_rules.hpp"

#include <SDL.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using namespace easel::replay;

template <typename Function>
Function next_definition(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "easel-replay hook: %s not found\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

int real_poll_event(SDL_Event* event) {
    static const auto poll = next_definition<int(SDLCALL*)(SDL_Event*)>("SDL_PollEvent");
    return poll(event);
}

int real_flip(SDL_Surface* surface) {
    static const auto flip = next_definition<int(SDLCALL*)(SDL_Surface*)>("SDL_Flip");
    return flip(surface);
}

// Looked up, not linked: the hook is preloaded into every process on the way to the program (a sandbox,
// a launcher), and loading SDL into each of them would cost more than the program's own start.
SDL_Surface* video_surface() {
    static const auto get = next_definition<SDL_Surface*(SDLCALL*)()>("SDL_GetVideoSurface");
    return get();
}

struct virtual_timer {
    std::uintptr_t serial;  // also the SDL_TimerID handed out; never reused
    std::uint64_t due;
    Uint32 interval;
    SDL_NewTimerCallback callback;
    void* param;
};

struct shown_picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

struct replay_state {
    std::uint64_t clock = 0;
    std::uint64_t target = 0;  // the clock value the current `wait` of the script reaches
    bool quitting = false;
    std::uintptr_t last_serial = 0;
    std::vector<virtual_timer> timers;
    shown_picture shown;
};

// Never destroyed: the last picture is sent from the hook's own destructor, after every other one.
replay_state& state() {
    static replay_state& single = *new replay_state;
    return single;
}

int driver_socket() {
    static const int fd = [] {
        const char* value = std::getenv(socket_variable);
        return value == nullptr ? -1 : std::atoi(value);
    }();
    return fd;
}

std::vector<virtual_timer>::iterator find_timer(std::uintptr_t serial) {
    auto& timers = state().timers;
    return std::find_if(timers.begin(), timers.end(), [serial](const virtual_timer& t) { return t.serial == serial; });
}

// Fires the earliest timer due no later than the target (the older one first on a tie); false if none.
// The callback may add or remove timers, itself included.
bool fire_next_due_timer() {
    replay_state& s = state();
    const auto earliest = std::min_element(s.timers.begin(), s.timers.end(), [](const auto& a, const auto& b) {
        return a.due != b.due ? a.due < b.due : a.serial < b.serial;
    });
    if (earliest == s.timers.end() || earliest->due > s.target) return false;
    const request serving = request::tick;
    send_all(driver_socket(), &serving, sizeof serving);
    const virtual_timer fired = *earliest;
    s.clock = fired.due;
    const Uint32 next_interval = fired.callback(fired.interval, fired.param);
    const auto still = find_timer(fired.serial);
    if (still == s.timers.end()) return true;
    if (next_interval == 0) {
        s.timers.erase(still);
    } else {
        still->interval = easel::sdl_rules::timer_period(next_interval);
        still->due = fired.due + still->interval;
    }
    return true;
}

std::uint32_t channel_value(std::uint32_t pixel, std::uint32_t mask, Uint8 shift, Uint8 loss) {
    return ((pixel & mask) >> shift) << loss;
}

void remember_shown(const SDL_Surface* surface) {
    shown_picture& shown = state().shown;
    const SDL_PixelFormat& format = *surface->format;
    shown.width = static_cast<std::uint32_t>(surface->w);
    shown.height = static_cast<std::uint32_t>(surface->h);
    shown.pixels.assign(static_cast<std::size_t>(shown.width) * shown.height, 0);
    if (format.BytesPerPixel != 4) {
        static bool warned = false;
        if (!warned) std::fprintf(stderr, "easel-replay: only 32-bit screens are captured; this one stays black\n");
        warned = true;
        return;
    }
    for (std::uint32_t y = 0; y < shown.height; ++y) {
        const auto* row = static_cast<const unsigned char*>(surface->pixels) + static_cast<std::size_t>(y) * surface->pitch;
        for (std::uint32_t x = 0; x < shown.width; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, row + 4 * static_cast<std::size_t>(x), sizeof pixel);
            shown.pixels[static_cast<std::size_t>(y) * shown.width + x] =
                channel_value(pixel, format.Rmask, format.Rshift, format.Rloss) << 16 |
                channel_value(pixel, format.Gmask, format.Gshift, format.Gloss) << 8 |
                channel_value(pixel, format.Bmask, format.Bshift, format.Bloss);
        }
    }
}

bool send_picture(const picture_header& header, const std::vector<std::uint32_t>& pixels) {
    return send_all(driver_socket(), &header, sizeof header) &&
           send_all(driver_socket(), pixels.data(), pixels.size() * sizeof pixels[0]);
}

// The last flipped picture, or black at the window's size when nothing has been flipped in this video mode.
bool send_shown_picture() {
    const shown_picture& shown = state().shown;
    const SDL_Surface* screen = video_surface();
    picture_header header{0, 0};
    if (screen != nullptr) header = {static_cast<std::uint32_t>(screen->w), static_cast<std::uint32_t>(screen->h)};
    const bool flipped = header.width == shown.width && header.height == shown.height;
    const std::vector<std::uint32_t> black(flipped ? 0 : static_cast<std::size_t>(header.width) * header.height, 0);
    return send_picture(header, flipped ? shown.pixels : black);
}

const pid_t program_pid = getpid();

// A program that ends by itself leaves its last picture for the script's later steps; a child it forked
// says nothing.
__attribute__((destructor)) void send_last_picture() {
    const replay_state& s = state();
    if (s.quitting || driver_socket() < 0 || getpid() != program_pid) return;
    const request ending = request::last_picture;
    if (send_all(driver_socket(), &ending, sizeof ending)) send_picture({s.shown.width, s.shown.height}, s.shown.pixels);
}

std::optional<command> next_command() {
    const request asking = request::next_command;
    command answer{};
    if (!send_all(driver_socket(), &asking, sizeof asking) || !receive_all(driver_socket(), &answer, sizeof answer))
        return std::nullopt;
    return answer;
}

int deliver_quit(SDL_Event* event) {
    state().quitting = true;
    *event = SDL_Event{};
    event->type = SDL_QUIT;
    return 1;
}

// What SDL has queued comes first (the ticks the timer callbacks push among it), then the timers due
// before the current wait ends, then the script's next command.
int next_event(SDL_Event* event) {
    replay_state& s = state();
    for (;;) {
        if (s.quitting) return deliver_quit(event);
        if (real_poll_event(event)) return 1;
        if (fire_next_due_timer()) continue;
        s.clock = s.target;
        if (video_surface() == nullptr && s.timers.empty()) {
            const request nothing = request::waits_for_nothing;
            send_all(driver_socket(), &nothing, sizeof nothing);
            return deliver_quit(event);
        }
        const std::optional<command> order = next_command();
        if (!order) return deliver_quit(event);
        switch (order->kind) {
            case command_kind::deliver:
                *event = order->event;
                return 1;
            case command_kind::advance:
                s.target = std::max<std::uint64_t>(s.target, order->target_ms);
                break;
            case command_kind::snapshot:
                if (!send_shown_picture()) return deliver_quit(event);
                break;
            case command_kind::quit:
            default:
                return deliver_quit(event);
        }
    }
}

}  // namespace

// The script always has a next event (at its end, SDL_QUIT), so a peek with no event pointer finds one.
extern "C" DECLSPEC int SDLCALL SDL_WaitEvent(SDL_Event* event) { return event == nullptr ? 1 : next_event(event); }

extern "C" DECLSPEC int SDLCALL SDL_PollEvent(SDL_Event* event) { return event == nullptr ? 1 : next_event(event); }

extern "C" DECLSPEC Uint32 SDLCALL SDL_GetTicks(void) { return static_cast<Uint32>(state().clock); }

extern "C" DECLSPEC SDL_TimerID SDLCALL SDL_AddTimer(Uint32 interval, SDL_NewTimerCallback callback, void* param) {
    if (callback == nullptr) return nullptr;
    replay_state& s = state();
    const std::uintptr_t serial = ++s.last_serial;
    const Uint32 period = easel::sdl_rules::timer_period(interval);
    s.timers.push_back({serial, s.clock + period, period, callback, param});
    return reinterpret_cast<SDL_TimerID>(serial);
}

extern "C" DECLSPEC SDL_bool SDLCALL SDL_RemoveTimer(SDL_TimerID id) {
    const auto timer = find_timer(reinterpret_cast<std::uintptr_t>(id));
    if (timer == state().timers.end()) return SDL_FALSE;
    state().timers.erase(timer);
    return SDL_TRUE;
}

extern "C" DECLSPEC int SDLCALL SDL_Flip(SDL_Surface* screen) {
    const int result = real_flip(screen);
    if (result == 0 && screen != nullptr && screen == video_surface()) remember_shown(screen);
    return result;
}
