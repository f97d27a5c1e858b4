// A dot circles the centre on the timer's clock in cycling colours, while moving the mouse
// sketches lines in the colour of the moment. Both share one pen, so each first puts it in place.
#include <cmath>

#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;
    gout << color(255, 255, 255);
    gin.timer(10);

    // One step of the colour cycle, 0..255; 3.1415 rather than pi makes a cycle just short of 2 pi.
    auto wave = [](int n) { return static_cast<int>(std::sin(n * 3.1415 / 128) * 128 + 128); };

    event ev;
    gin >> ev;
    int last_x = -1, last_y = 100;  // last_x -1: no mouse position yet
    int phase = 0;                  // clock time in units of 10 ms
    while (gin) {
        if (ev.time != 0) phase = ev.time / 10;  // only timer ticks carry a time

        // The dot for this phase, in the colour set at the previous event.
        const double a = phase / 43.0;
        const int dot_x = static_cast<int>(std::sin(a) * 70 + 100);
        const int dot_y = static_cast<int>(std::cos(a) * 70 + 100);
        gout << move_to(dot_x, dot_y) << dot << refresh;

        gout << color(wave(phase % 256), wave((phase + 85) % 256), wave((phase + 170) % 256));

        if (ev.time == 0 && (ev.pos_x != last_x || ev.pos_y != last_y)) {
            // The dot moved the pen: go back to where the last line ended.
            if (last_x != -1) {
                gout << move_to(last_x, last_y);
            } else {
                gout << move_to(ev.pos_x, ev.pos_y);
            }
            last_x = ev.pos_x;
            last_y = ev.pos_y;
            gout << line_to(last_x, last_y) << move_to(last_x, last_y) << refresh;
        }
        gin >> ev;
    }
    return 0;
}
