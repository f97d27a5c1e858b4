// Input: gin, the event pump with its backlog, the event record, and the timer with its ticks.
#include "graphics.hpp"

#include <SDL.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "explain.hpp"
#include "held_input.hpp"
#include "keytbl.hpp"
#include "library_internal.hpp"
#include "platform.hpp"
#include "sdl_rules.hpp"

namespace easel {
namespace {

SDL_TimerID timer_id = nullptr;
const event nullev = {};

// Window input and ticks are numbered on one count as they arrive, so that a tick is read after
// the input that came before it was due.
std::atomic<std::uint64_t> arrivals{0};

// At most one tick waits in SDL's queue: the callback pushes one only when none is waiting, and
// otherwise just moves the waiting one's time on. Reading the tick takes the latest time.
constexpr std::int64_t no_tick = -1;
std::atomic<std::int64_t> waiting_tick{no_tick};
// When the waiting tick became due, on the count of arrivals.
std::atomic<std::uint64_t> waiting_tick_arrival{0};

Uint32 timer_event(Uint32 interval, void*) {
    const Uint32 now = SDL_GetTicks();
    if (waiting_tick.exchange(now) != no_tick) return interval;
    waiting_tick_arrival = arrivals++;
    SDL_Event ev = {};
    ev.type = SDL_USEREVENT;
    ev.user.code = static_cast<int>(now);
    ev.user.data1 = nullptr;
    ev.user.data2 = nullptr;
    if (SDL_PushEvent(&ev) != 0) {
        // No tick waits after all; the next one tries again.
        std::int64_t mine = now;
        waiting_tick.compare_exchange_strong(mine, no_tick);
    }
    return interval;
}

int take_tick_time(const SDL_Event& se) {
    const std::int64_t latest = waiting_tick.exchange(no_tick);
    return latest == no_tick ? se.user.code : static_cast<int>(static_cast<Uint32>(latest));
}

// Input from the window system, taken from SDL as it pumps it (on the reading thread). SDL's own
// queue holds 128 events and drops the rest, a window close included; this one holds far more.
class input_backlog {
public:
    // False, and the event is dropped, when the backlog is full.
    bool push(const SDL_Event& e) {
        if (count == capacity) return false;
        slots[(first + count) % capacity] = {e, arrivals++};
        ++count;
        return true;
    }
    // The oldest event, if it arrived before the given point on the count of arrivals.
    bool pop_before(std::uint64_t arrival, SDL_Event& e) {
        if (count == 0 || slots[first].arrival >= arrival) return false;
        e = slots[first].event;
        first = (first + 1) % capacity;
        --count;
        return true;
    }
    bool pop(SDL_Event& e) { return pop_before(UINT64_MAX, e); }

private:
    static constexpr std::size_t capacity = 1 << 14;
    struct arrived {
        SDL_Event event;
        std::uint64_t arrival;
    };
    arrived slots[capacity] = {};
    std::size_t first = 0;
    std::size_t count = 0;
};

// Constant-initialised, so input can arrive before this file's own initialisation has run.
input_backlog backlog;
bool window_closed = false;

}  // namespace

// Keeps what wait_event delivers and notes a close; SDL's queue gets none of it.
int internal::take_window_input(const SDL_Event* e) {
    switch (e->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        backlog.push(*e);
        break;
    case SDL_QUIT:
        window_closed = true;
        break;
    default:
        break;
    }
    return 0;
}

namespace {

// A tick taken from SDL's queue while window input that arrived before it was due still waits;
// it is read after that input, and SDL's queue waits behind it.
bool tick_held = false;
SDL_Event held_tick;

// The next SDL event for the reader: SDL's own queue first (timer ticks, events the program
// pushed; easel-replay serves its script there), then the window's input, except that a tick
// comes after the window input that arrived before it was due. Polls the way SDL's own wait
// does, so that a close or a signal is seen within 10 ms. False once either came.
bool next_sdl_event(SDL_Event& se) {
    for (;;) {
        bool polled = false;
        if (tick_held)
            platform::pump_window_input();
        else
            polled = SDL_PollEvent(&se) != 0;
        // The close is taken by the read it ends.
        if (std::exchange(window_closed, false) || platform::stop_requested()) return false;
        if (polled && se.type == SDL_USEREVENT && waiting_tick != no_tick) {
            held_tick = se;
            tick_held = true;
        } else if (polled) {
            return true;
        }
        if (tick_held) {
            if (!backlog.pop_before(waiting_tick_arrival, se)) {
                se = held_tick;
                tick_held = false;
            }
            return true;
        }
        if (backlog.pop(se)) return true;
        SDL_Delay(10);
    }
}

// SDL delivers positions as unsigned 16-bit values that may encode negative numbers and may lie
// outside the window; programs get them inside the window.
int window_position(Uint16 raw, int size) {
    const int pos = raw < 0x8000 ? raw : raw - 0x10000;
    if (size <= 0) return pos;
    return pos < 0 ? 0 : (pos >= size ? size - 1 : pos);
}

void fill_position(event& ev, Uint16 raw_x, Uint16 raw_y) {
    const SDL_Surface* screen = SDL_GetVideoSurface();
    ev.pos_x = window_position(raw_x, screen ? screen->w : 0);
    ev.pos_y = window_position(raw_y, screen ? screen->h : 0);
}

// Fills ev from an SDL event the program is given; false for one it is not.
bool fill_record(const SDL_Event& se, event& ev) {
    switch (se.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        // A key without a code is swallowed and leaves no trace in the record.
        const int keycode = mkkeycode(se.key.keysym.sym, se.key.keysym.unicode);
        if (keycode == 0) return false;
        ev.type = ev_key;
        ev.keycode = se.type == SDL_KEYUP ? -keycode : keycode;
        return true;
    }
    case SDL_MOUSEMOTION:
        ev.type = ev_mouse;
        fill_position(ev, se.motion.x, se.motion.y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        ev.type = ev_mouse;
        ev.button = se.button.state == SDL_RELEASED ? -se.button.button : se.button.button;
        fill_position(ev, se.button.x, se.button.y);
        return true;
    case SDL_USEREVENT:
        ev.type = ev_timer;
        ev.time = take_tick_time(se);
        return true;
    default:
        return false;
    }
}

}  // namespace

grinput& grinput::instance() {
    static grinput single_inst;
    return single_inst;
}

grinput::grinput() : quit(false) {}

grinput::operator void const*() const { return quit ? nullptr : this; }

grinput& grinput::wait_event(event& ev) {
    ev = nullev;
    internal::tell_kept(gout);
    if (!quit && !timer_id && !SDL_GetVideoSurface())
        explain::say(explain::kind::waits_for_nothing,
                     "gin >> ev waits for ever: no window is open (gout.open was not called, or it failed) and no "
                     "timer runs, so no event can come");
    SDL_Event se;
    while (!quit) {
        if (!next_sdl_event(se)) {
            quit = true;
            break;
        }
        held_input::note(se);
        if (se.type == SDL_QUIT)
            quit = true;
        else if (fill_record(se, ev))
            break;
    }
    return *this;
}

void grinput::timer(int wait) {
    if (timer_id) {
        SDL_RemoveTimer(timer_id);
        timer_id = nullptr;
    }
    if (wait > 0) timer_id = SDL_AddTimer(sdl_rules::timer_period(static_cast<Uint32>(wait)), timer_event, nullptr);
}

}  // namespace easel
