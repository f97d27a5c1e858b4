// SDL 1.2 for the browser, as much of it as the library uses: the screen, events and timers (its
// surfaces and files are in sdl_web_surfaces.cpp). The page shows the screen surface on a canvas
// (easel_web.js). The page's input passes the event filter as it arrives, as SDL pumps window input
// through it, and what the filter keeps waits in SDL's queue with the ticks; waiting suspends the
// program (the build's asynchronous calls) until the page has input, the sleep is over, or a test
// moves the clock.
#include <SDL.h>
#include <emscripten.h>

#include "charset.hpp"
#include "page.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct web_timer {
    Uint32 interval;
    SDL_NewTimerCallback callback;
    void* param;
    double due;
    unsigned serial;
};

namespace {

// SDL 1.2 holds this many events; a push into a full queue fails.
constexpr std::size_t queue_capacity = 128;

struct web_state {
    double started = 0;
    SDL_Surface* screen = nullptr;
    SDL_EventFilter filter = nullptr;
    std::deque<SDL_Event> queue;
    std::vector<std::unique_ptr<web_timer>> timers;
    unsigned last_serial = 0;
};

web_state& state() {
    static web_state single;
    return single;
}

double clock_ms() { return easel_web_now() - state().started; }

web_timer* earliest_timer() {
    auto& timers = state().timers;
    const auto first = std::min_element(timers.begin(), timers.end(), [](const auto& a, const auto& b) {
        return a->due != b->due ? a->due < b->due : a->serial < b->serial;
    });
    return first == timers.end() ? nullptr : first->get();
}

// Runs the earliest timer if it is due; its callback may add or remove timers, itself included.
// A timer that fell behind (the program computed, or the page was slow) runs once for the periods
// it missed and goes on from now, as SDL's timer thread does: ticks never pile up to catch up.
bool fire_due_timer() {
    web_timer* timer = earliest_timer();
    const double now = clock_ms();
    if (!timer || timer->due > now) return false;
    const unsigned serial = timer->serial;
    const Uint32 next = timer->callback(timer->interval, timer->param);
    auto& timers = state().timers;
    const auto still = std::find_if(timers.begin(), timers.end(), [serial](const auto& t) { return t->serial == serial; });
    if (still == timers.end()) return true;
    web_timer& kept = **still;
    if (next == 0) {
        timers.erase(still);
        return true;
    }
    kept.interval = next;
    kept.due += next;
    if (kept.due <= now) kept.due += std::floor((now - kept.due) / next + 1) * next;
    return true;
}

void fire_due_timers() {
    while (fire_due_timer()) {
    }
}

bool push(const SDL_Event& event) {
    auto& queue = state().queue;
    if (queue.size() >= queue_capacity) return false;
    queue.push_back(event);
    return true;
}

// Input from the page: ticks already due arrive before it, and the event filter sees it first
// (the library keeps window input in a backlog of its own and notes a close there).
void deliver(SDL_Event event) {
    fire_due_timers();
    const SDL_EventFilter filter = state().filter;
    if (!filter || filter(&event)) push(event);
}

Uint16 wire_position(int pos) { return static_cast<Uint16>(pos); }

constexpr Uint8 wheel_up = 4;
constexpr Uint8 wheel_down = 5;

void push_button(bool pressed, Uint8 button, int x, int y) {
    SDL_Event event{};
    event.button = {pressed ? Uint8{SDL_MOUSEBUTTONDOWN} : Uint8{SDL_MOUSEBUTTONUP}, button,
                    pressed ? Uint8{SDL_PRESSED} : Uint8{SDL_RELEASED}, wire_position(x), wire_position(y)};
    deliver(event);
}

enum key_use { not_a_key = 0, taken = 1, leave_to_browser = 2 };

struct web_key {
    SDLKey sym;
    Uint16 character;  // typed on a press; 0 for none
};

struct dom_name {
    const char* key;
    const char* code;
    web_key is;
};

// The library's named keys, by the name the browser gives each.
constexpr dom_name named_keys[] = {
#define EASEL_CHAR_KEY(name, symbol, number, dom_key, dom_code) {dom_key, dom_code, {symbol, number}},
#define EASEL_SPECIAL_KEY(name, symbol, number, character, code, dom_key, dom_code) \
    {dom_key, dom_code, {symbol, character}},
#include "keys.def"
};

// A function key keeps its browser action; the program takes every other key.
key_use use_of(const web_key& k) { return k.sym >= SDLK_F1 && k.sym <= SDLK_F15 ? leave_to_browser : taken; }

// A named key by its key (first) or its code; else a key that types one character of its own, on
// the ASCII key of that character (lower case) where there is one.
std::optional<web_key> key_of(const std::string& dom_key, const std::string& dom_code) {
    for (const dom_name& n : named_keys)
        if (*n.key && dom_key == n.key) return n.is;
    for (const dom_name& n : named_keys)
        if (*n.code && dom_code == n.code) return n.is;
    char32_t c = 0;
    if (dom_key.empty() || easel::charset::utf8_character(dom_key, 0, c) != dom_key.size() || c == 0 || c > 0xFFFF)
        return std::nullopt;
    const SDLKey sym = c >= 'A' && c <= 'Z' ? static_cast<SDLKey>(c - 'A' + 'a')
                                            : c < 128 ? static_cast<SDLKey>(c) : SDLK_UNKNOWN;
    return web_key{sym, static_cast<Uint16>(c)};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// What the page's side (easel_web.js) calls: input, and what a test asks about the timers.
// ---------------------------------------------------------------------------------------------

extern "C" {

EMSCRIPTEN_KEEPALIVE void easel_web_motion(int x, int y) {
    SDL_Event event{};
    event.motion = {SDL_MOUSEMOTION, wire_position(x), wire_position(y)};
    deliver(event);
}

// button is the browser's number for it: 0 left, 1 middle, 2 right.
EMSCRIPTEN_KEEPALIVE void easel_web_button(int pressed, int button, int x, int y) {
    push_button(pressed != 0, static_cast<Uint8>(button + 1), x, y);
}

// One turn of the wheel, up for a negative direction: a press and a release, as SDL reports it.
EMSCRIPTEN_KEEPALIVE void easel_web_wheel(int direction, int x, int y) {
    const Uint8 button = direction < 0 ? wheel_up : wheel_down;
    push_button(true, button, x, y);
    push_button(false, button, x, y);
}

// The named keys for the page, which decides at once whether a key press is kept from the
// browser: one a line, "key<TAB>code<TAB>use" with use as easel_web_key gives it.
EMSCRIPTEN_KEEPALIVE const char* easel_web_named_keys() {
    static const std::string table = [] {
        std::string lines;
        for (const dom_name& n : named_keys)
            lines += std::string(n.key) + '\t' + n.code + '\t' + std::to_string(use_of(n.is)) + '\n';
        return lines;
    }();
    return table.c_str();
}

// A browser key by its KeyboardEvent key and code: not_a_key when the library never sees it, else
// its use.
EMSCRIPTEN_KEEPALIVE int easel_web_key(int pressed, const char* dom_key, const char* dom_code) {
    const std::optional<web_key> k = key_of(dom_key, dom_code);
    if (!k) return not_a_key;
    SDL_Event event{};
    event.key.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym = {k->sym, static_cast<Uint16>(pressed ? k->character : 0)};
    deliver(event);
    return use_of(*k);
}

EMSCRIPTEN_KEEPALIVE void easel_web_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    deliver(event);
}

EMSCRIPTEN_KEEPALIVE int easel_web_pending() { return static_cast<int>(state().queue.size()); }

// The clock value at which the next tick is due, or -1 when no timer runs.
EMSCRIPTEN_KEEPALIVE double easel_web_next_due() {
    const web_timer* timer = earliest_timer();
    return timer ? state().started + timer->due : -1;
}

// ---------------------------------------------------------------------------------------------
// SDL
// ---------------------------------------------------------------------------------------------

int SDL_Init(Uint32) {
    state().started = easel_web_now();
    easel_web_start();
    return 0;
}

void SDL_Quit(void) {
    state().timers.clear();
    easel_web_stop();
}

int SDL_EnableUNICODE(int) { return 1; }

// The fullscreen flag is not honoured: the page shows a canvas of the size asked for. As on the
// desktop the screen stays one surface whose pixels are made anew for each mode, so canvases that
// refer to it draw on the window as it is now; the old pixels are freed.
SDL_Surface* SDL_SetVideoMode(int width, int height, int, Uint32 flags) {
    SDL_Surface* fresh = SDL_CreateRGBSurface(0, width, height, 32, 0, 0, 0, 0);
    if (!fresh) return nullptr;
    SDL_Surface*& screen = state().screen;
    if (screen) {
        std::swap(screen->pixels, fresh->pixels);
        screen->w = fresh->w;
        screen->h = fresh->h;
        screen->pitch = fresh->pitch;
        SDL_FreeSurface(fresh);
    } else {
        screen = fresh;
    }
    screen->flags = flags;
    easel_web_show_canvas(width, height);
    return screen;
}

SDL_Surface* SDL_GetVideoSurface(void) { return state().screen; }

int SDL_Flip(SDL_Surface* screen) {
    if (!screen) return -1;
    easel_web_present(screen->pixels, screen->w, screen->h);
    return 0;
}


// Due ticks join the queue first, then the oldest queued event is taken.
int SDL_PollEvent(SDL_Event* event) {
    fire_due_timers();
    auto& queue = state().queue;
    if (queue.empty()) return 0;
    if (event) {
        *event = queue.front();
        queue.pop_front();
    }
    return 1;
}

void SDL_SetEventFilter(SDL_EventFilter filter) { state().filter = filter; }

// Input, a close and (with the manual clock) every advance end the sleep early.
void SDL_Delay(Uint32 ms) { easel_web_sleep(easel_web_now() + ms); }

int SDL_PushEvent(SDL_Event* event) { return event && push(*event) ? 0 : -1; }

Uint32 SDL_GetTicks(void) { return static_cast<Uint32>(clock_ms()); }

SDL_TimerID SDL_AddTimer(Uint32 interval, SDL_NewTimerCallback callback, void* param) {
    if (!callback) return nullptr;
    web_state& s = state();
    s.timers.push_back(std::make_unique<web_timer>(web_timer{interval, callback, param, clock_ms() + interval, ++s.last_serial}));
    return s.timers.back().get();
}

int SDL_RemoveTimer(SDL_TimerID id) {
    auto& timers = state().timers;
    const auto found = std::find_if(timers.begin(), timers.end(), [id](const auto& t) { return t.get() == id; });
    if (found == timers.end()) return 0;
    timers.erase(found);
    return 1;
}

void SDL_WM_SetCaption(const char* title, const char*) {
    if (title) easel_web_caption(title);
}

}  // extern "C"
