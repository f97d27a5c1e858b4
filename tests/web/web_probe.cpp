// The browser tests' probe: prints every event record it reads, one line each,
//     keycode pos_x pos_y button time type
// starts a 25 ms timer (which ticks every 30 ms) on the key t and saves its screen as probe.bmp on the key s.
// On a tick while Right, a or the left button is held, it prints "held" and their names.
#include <cstdio>

#include "graphics.hpp"

using namespace easel;

int main() {
    gout.open(200, 100);
    gout << move_to(10, 10) << color(255, 0, 0) << box(20, 10) << color(0, 128, 255) << line_to(150, 90) << refresh;
    event ev;
    while (gin >> ev) {
        std::printf("%d %d %d %d %d %d\n", ev.keycode, ev.pos_x, ev.pos_y, ev.button, ev.time, ev.type);
        if (ev.type == ev_timer && (gin.key_held(key_right) || gin.key_held('a') || gin.button_held(btn_left)))
            std::printf("held%s%s%s\n", gin.key_held(key_right) ? " right" : "", gin.key_held('a') ? " a" : "",
                        gin.button_held(btn_left) ? " left-button" : "");
        if (ev.keycode == 't') gin.timer(25);
        if (ev.keycode == 's') gout.save("pictures/probe.bmp");
    }
    return 0;
}
