// The browser tests' second page: the rules a page must keep as the desktop does. Each key runs
// one check and prints one line:
//   m  "motions N": the mouse motions read since the last m
//   t  starts timer(10); b then computes for a second without reading and prints "ticks N", the
//      ticks of the second after it
//   r  "reopened N": the window opened 1200 times at 800 x 600, N of them successfully
//   k  reopens the window smaller and draws a red dot at (10, 10) through a copy of gout
//   v  "saves N N": save("") and save("dir/")
//   l  computes for ever without reading events
// When its event stream ends it prints "closed after N motions".
#include <chrono>
#include <cstdio>

#include "graphics.hpp"

using namespace easel;

namespace {

bool next_tick(event& ev) {
    while (gin >> ev)
        if (ev.type == ev_timer) return true;
    return false;
}

int ticks_after_busy_second() {
    const auto busy_until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < busy_until) {
    }
    event ev;
    if (!next_tick(ev)) return -1;
    const int start = ev.time;
    int ticks = 1;
    while (next_tick(ev) && ev.time < start + 1000) ++ticks;
    return ticks;
}

}  // namespace

int main() {
    gout.open(200, 100);
    gout << refresh;
    event ev;
    int motions = 0;
    while (gin >> ev) {
        if (ev.type == ev_mouse && ev.button == 0) ++motions;
        switch (ev.keycode) {
        case 'm':
            std::printf("motions %d\n", motions);
            motions = 0;
            break;
        case 't':
            gin.timer(10);
            break;
        case 'b':
            std::printf("ticks %d\n", ticks_after_busy_second());
            gin.timer(0);
            break;
        case 'r': {
            int opened = 0;
            for (int i = 0; i < 1200; ++i) opened += gout.open(800, 600);
            std::printf("reopened %d\n", opened);
            gout.open(200, 100);
            gout << refresh;
            break;
        }
        case 'k': {
            canvas copy = gout;
            gout.open(100, 50);
            copy << move_to(10, 10) << color(255, 0, 0) << dot;
            gout << refresh;
            break;
        }
        case 'v':
            std::printf("saves %d %d\n", gout.save(""), gout.save("dir/"));
            break;
        case 'l':
            for (volatile unsigned long spins = 0;; spins = spins + 1) {
            }
        default:
            break;
        }
    }
    std::printf("closed after %d motions\n", motions);
    return 0;
}
