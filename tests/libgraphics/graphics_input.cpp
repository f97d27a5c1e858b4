// Event records as read from gin, fed through SDL's real event queue, and the timer.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "surface_probe.hpp"

using namespace easel;

namespace {

struct record {
    int keycode, pos_x, pos_y, button, time, type;
};

bool operator==(const record& a, const record& b) {
    return a.keycode == b.keycode && a.pos_x == b.pos_x && a.pos_y == b.pos_y && a.button == b.button &&
           a.time == b.time && a.type == b.type;
}

std::ostream& operator<<(std::ostream& out, const record& r) {
    return out << "{key " << r.keycode << ", pos " << r.pos_x << "," << r.pos_y << ", button " << r.button
               << ", time " << r.time << ", type " << r.type << "}";
}

// Reads one event into a record that starts out full of garbage, so that clearing shows.
record next() {
    event ev;
    ev.keycode = ev.pos_x = ev.pos_y = ev.button = ev.time = ev.type = 7777;
    gin >> ev;
    return {ev.keycode, ev.pos_x, ev.pos_y, ev.button, ev.time, ev.type};
}

void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 0); }

SDL_Event key(Uint8 type, SDLKey sym, Uint16 unicode) {
    SDL_Event e = {};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.unicode = unicode;
    return e;
}

SDL_Event motion(Uint16 x, Uint16 y) {
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event mouse_button(Uint8 type, Uint8 button, Uint16 x, Uint16 y) {
    SDL_Event e = {};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event quit_event() {
    SDL_Event e = {};
    e.type = SDL_QUIT;
    return e;
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gout.open(200, 200));
        drain();
    }
    // A test's timer must not tick into the next one.
    void TearDown() override {
        gin.timer(0);
        drain();
    }
    static void drain() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }
};

constexpr record motion_at(int x, int y) { return {0, x, y, 0, 0, ev_mouse}; }

}  // namespace

TEST_F(Input, SpecialKeysArriveAsPressAndRelease) {
    push(key(SDL_KEYDOWN, SDLK_UP, 0));
    push(key(SDL_KEYUP, SDLK_UP, 0));
    push(key(SDL_KEYDOWN, SDLK_F15, 0));
    push(key(SDL_KEYDOWN, SDLK_DELETE, 127));
    EXPECT_EQ(next(), (record{key_up, 0, 0, 0, 0, ev_key}));
    EXPECT_EQ(next(), (record{-65536, 0, 0, 0, 0, ev_key}));
    EXPECT_EQ(next().keycode, 131087);
    EXPECT_EQ(next().keycode, key_delete);
}

TEST_F(Input, CharacterKeysGiveTheirCodeAndTheirReleaseIsSwallowed) {
    push(key(SDL_KEYDOWN, SDLK_a, 'a'));
    push(key(SDL_KEYUP, SDLK_a, 0));
    push(key(SDL_KEYDOWN, SDLK_UNKNOWN, 0x0151));
    push(key(SDL_KEYDOWN, SDLK_UNKNOWN, 0x00F5));
    push(key(SDL_KEYDOWN, SDLK_ESCAPE, 27));
    push(key(SDL_KEYUP, SDLK_ESCAPE, 0));
    push(key(SDL_KEYDOWN, SDLK_UNKNOWN, 0x20AC));
    push(motion(1, 2));
    EXPECT_EQ(next(), (record{97, 0, 0, 0, 0, ev_key}));
    EXPECT_EQ(next().keycode, 245);
    EXPECT_EQ(next().keycode, 245);
    EXPECT_EQ(next().keycode, key_escape);
    EXPECT_TRUE(gin);
    EXPECT_EQ(next().keycode, 128);
    EXPECT_EQ(next(), motion_at(1, 2));
}

TEST_F(Input, MouseButtonsCarrySignAndPosition) {
    push(mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
    push(mouse_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 11, 21));
    push(mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP, 5, 6));
    push(mouse_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP, 5, 6));
    push(mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0));
    push(motion(30, 40));
    EXPECT_EQ(next(), (record{0, 10, 20, btn_left, 0, ev_mouse}));
    EXPECT_EQ(next(), (record{0, 11, 21, -btn_left, 0, ev_mouse}));
    EXPECT_EQ(next(), (record{0, 5, 6, btn_wheelup, 0, ev_mouse}));
    EXPECT_EQ(next(), (record{0, 5, 6, -btn_wheelup, 0, ev_mouse}));
    EXPECT_EQ(next().button, btn_right);
    EXPECT_EQ(next(), motion_at(30, 40));
}

TEST_F(Input, PositionsOutsideTheWindowAreBroughtInside) {
    push(motion(200, 199));                                       // one past the last column
    push(mouse_button(SDL_MOUSEBUTTONDOWN, 1, 65459, 300));       // 77 left of the picture, below it
    push(mouse_button(SDL_MOUSEBUTTONUP, 1, 32767, 65535));       // far right, one above
    EXPECT_EQ(next(), motion_at(199, 199));
    EXPECT_EQ(next(), (record{0, 0, 199, 1, 0, ev_mouse}));
    EXPECT_EQ(next(), (record{0, 199, 0, -1, 0, ev_mouse}));
}

TEST_F(Input, OtherSdlEventsAreSkipped) {
    SDL_Event active = {};
    active.type = SDL_ACTIVEEVENT;
    push(active);
    push(key(SDL_KEYDOWN, SDLK_LCTRL, 0));
    EXPECT_EQ(next().keycode, key_lctrl);
}

TEST_F(Input, ClosingEndsTheStreamForGood_InFreshProcess) {
    if (!easel_test::in_fresh_process()) return;
    push(motion(3, 4));
    push(key(SDL_KEYUP, SDLK_a, 0));  // swallowed: leaves nothing in the record that ends the stream
    push(quit_event());
    push(motion(5, 6));
    EXPECT_EQ(next(), motion_at(3, 4));
    EXPECT_TRUE(gin);
    EXPECT_EQ(next(), (record{0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(gin);
    // Later reads return at once, zeroed, and leave the queue alone.
    EXPECT_EQ(next(), (record{0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(gin);
}

TEST_F(Input, EventsPushedFromAnotherThreadArrive) {
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SDL_Event e = motion(9, 8);
        SDL_PushEvent(&e);
    });
    EXPECT_EQ(next(), motion_at(9, 8));
    sender.join();
}

TEST_F(Input, TimerTicksCarryIncreasingTimesAndOtherEventsNone) {
    gin.timer(10);
    std::vector<int> times;
    while (times.size() < 5) {
        const record r = next();
        ASSERT_EQ(r.type, ev_timer);
        EXPECT_EQ(r.keycode, 0);
        EXPECT_EQ(r.pos_x, 0);
        times.push_back(r.time);
        if (times.size() == 2) {
            // Ticks already queued come first; the key itself carries no time.
            push(key(SDL_KEYDOWN, SDLK_b, 'b'));
            record k = next();
            for (; k.type == ev_timer; k = next()) times.push_back(k.time);
            EXPECT_EQ(k, (record{'b', 0, 0, 0, 0, ev_key}));
        }
    }
    for (std::size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]);
    EXPECT_GT(times.front(), 0);
    gin.timer(0);
}

// Reads until a marker motion, then checks that no tick arrives within a quiet spell.
void expect_no_ticks_after_stop() {
    // A callback already running when the timer was removed may still push its tick.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    push(motion(123, 45));
    while (!(next() == motion_at(123, 45))) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    push(motion(54, 32));
    EXPECT_EQ(next(), motion_at(54, 32));
}

TEST_F(Input, TimerStopsOnZeroOrLess) {
    gin.timer(10);
    EXPECT_EQ(next().type, ev_timer);
    gin.timer(0);
    expect_no_ticks_after_stop();
    gin.timer(10);
    EXPECT_EQ(next().type, ev_timer);
    gin.timer(-5);
    expect_no_ticks_after_stop();
}

TEST_F(Input, NewPeriodReplacesTheOld) {
    gin.timer(10);
    EXPECT_EQ(next().type, ev_timer);
    gin.timer(100);
    push(motion(1, 1));
    while (!(next() == motion_at(1, 1))) {
    }
    const int first = next().time;
    const int second = next().time;
    EXPECT_GE(second - first, 90);  // a single 10 ms timer would tick ten times as often
    gin.timer(0);
}

// Ticks a program does not read in time merge into one, which carries the latest time.
TEST_F(Input, TicksDoNotPileUpBehindASlowReader) {
    gin.timer(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int slept_until = static_cast<int>(SDL_GetTicks());
    push(motion(7, 7));
    const record tick = next();
    EXPECT_EQ(tick.type, ev_timer);
    EXPECT_GE(tick.time, slept_until - 100);
    EXPECT_EQ(next(), motion_at(7, 7));
    gin.timer(0);
}

// Window input reaches the library through SDL's event filter as SDL pumps it; far more of it
// than SDL's queue holds is kept, in order.
TEST_F(Input, WindowInputBeyondSdlsQueueKeepsItsOrder) {
    const SDL_EventFilter take_window_input = SDL_GetEventFilter();
    ASSERT_NE(take_window_input, nullptr);
    for (int i = 0; i < 1000; ++i) {
        const SDL_Event e = motion(static_cast<Uint16>(i % 200), static_cast<Uint16>(i / 200));
        take_window_input(&e);
    }
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(next(), motion_at(i % 200, i / 200));
}

// Window input that came before a tick was due is read before it, however slow the reader.
TEST_F(Input, WaitingTicksNeverHoldBackEarlierWindowInput) {
    const SDL_EventFilter take_window_input = SDL_GetEventFilter();
    const auto type = [take_window_input](int n) {
        const SDL_Event e = key(SDL_KEYDOWN, static_cast<SDLKey>(SDLK_a + n), static_cast<Uint16>('a' + n));
        take_window_input(&e);
    };
    const auto typed = [](int n) { return record{'a' + n, 0, 0, 0, 0, ev_key}; };
    gin.timer(10);
    type(0);
    for (SDL_Event tick; SDL_PeepEvents(&tick, 1, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_USEREVENT)) < 1;) SDL_Delay(1);
    type(1);
    EXPECT_EQ(next(), typed(0));
    EXPECT_EQ(next().type, ev_timer);
    EXPECT_EQ(next(), typed(1));
    // A key during each 12 ms frame of a program whose timer ticks every 10 ms.
    std::vector<record> keys;
    for (int sent = 2, reads = 0; keys.size() < 10 && reads < 100; ++reads) {
        if (sent < 12) type(sent++);
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
        const record r = next();
        if (r.type != ev_timer) keys.push_back(r);
    }
    ASSERT_EQ(keys.size(), 10u);
    for (int n = 0; n < 10; ++n) EXPECT_EQ(keys[n], typed(n + 2));
}

// A stop signal ends the stream at the next read, ahead of a full queue.
TEST_F(Input, SigtermEndsTheStreamAheadOfWaitingInput_InFreshProcess) {
    if (!easel_test::in_fresh_process()) return;
    for (SDL_Event e = motion(1, 1); SDL_PushEvent(&e) == 0;) {
    }
    ASSERT_EQ(raise(SIGTERM), 0);
    EXPECT_EQ(next(), (record{0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(gin);
}

TEST_F(Input, SigtermWakesAWaitingReader_InFreshProcess) {
    if (!easel_test::in_fresh_process()) return;
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        kill(getpid(), SIGTERM);
    });
    next();
    EXPECT_FALSE(gin);
    sender.join();
}

long resident_pages() {
    long size = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident;
}

// 100,000 events pushed from another thread as fast as SDL takes them, ticks every millisecond,
// and a reader that takes 5 ms an event: the quit pushed last still ends the stream.
TEST_F(Input, AFloodOfEventsAndTicksEndsWithTheQuitPushedLast_InFreshProcess) {
    if (!easel_test::in_fresh_process()) return;
    gin.timer(1);
    std::thread sender([] {
        for (int i = 0; i < 100000; ++i) {
            SDL_Event e = i % 2 ? motion(static_cast<Uint16>(i % 200), 3) : key(SDL_KEYDOWN, SDLK_UP, 0);
            SDL_PushEvent(&e);
        }
        SDL_Event quit = quit_event();
        while (SDL_PushEvent(&quit) != 0) std::this_thread::yield();
    });
    const long resident_before = resident_pages();
    int reads = 0;
    for (event ev; gin >> ev; ++reads) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    sender.join();
    EXPECT_GT(reads, 0);
    EXPECT_LT(resident_pages() - resident_before, 256) << "pages resident after the flood";
    gin.timer(0);
}
