// A program for easel-replay's tests. It prints every event record it reads as one line
// "keycode pos_x pos_y button time type" and draws what it is told:
// - a white 10 x 10 box at the top-left corner at once, shown only with the first refresh;
// - on a mouse press, a red dot where the mouse is, then a refresh;
// - on a timer tick, a green dot in the bottom row at column time / 10 mod 200, then a refresh.
// Arguments are timer periods: the first starts the timer, each press of the t key switches to
// the next one (0 stops it). Keys that misbehave on purpose: c crashes, h stops reading events,
// e ends main with status 0, x exits with status 9, s makes every later event take 200 ms.
// With the single argument no-window it reads events without opening its window. On a tick while
// Right, a (its release is swallowed) or the left button is held, it prints "held" and their names.
#include "graphics.hpp"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

using namespace easel;

namespace {

void print(const event& ev) {
    std::cout << ev.keycode << ' ' << ev.pos_x << ' ' << ev.pos_y << ' ' << ev.button << ' ' << ev.time << ' '
              << ev.type << std::endl;
}

void draw(const event& ev) {
    if (ev.type == ev_mouse && ev.button > 0) gout << move_to(ev.pos_x, ev.pos_y) << color(255, 0, 0) << dot << refresh;
    if (ev.type == ev_timer) gout << move_to(ev.time / 10 % 200, 199) << color(0, 255, 0) << dot << refresh;
}

[[noreturn]] void stop_reading_events() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

void take_time() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::string(argv[1]) == "no-window") {
        event ev;
        while (gin >> ev) print(ev);
        return 0;
    }
    gout.open(200, 200);
    gout << move_to(0, 0) << box(9, 9);
    int next_period = 1;
    if (next_period < argc) gin.timer(std::atoi(argv[next_period++]));
    bool slow = false;
    event ev;
    while (gin >> ev) {
        if (slow) take_time();
        print(ev);
        if (ev.type == ev_timer && (gin.key_held(key_right) || gin.key_held('a') || gin.button_held(btn_left)))
            std::cout << "held" << (gin.key_held(key_right) ? " right" : "") << (gin.key_held('a') ? " a" : "")
                      << (gin.button_held(btn_left) ? " left" : "") << std::endl;
        draw(ev);
        switch (ev.keycode) {
            case 't':
                if (next_period < argc) gin.timer(std::atoi(argv[next_period++]));
                break;
            case 'c':
                std::abort();
            case 'h':
                stop_reading_events();
            case 'e':
                return 0;
            case 'x':
                std::exit(9);
            case 's':
                slow = true;
                break;
        }
    }
    return 0;
}
