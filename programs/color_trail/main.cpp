// A line follows the mouse, its colour cycling with the timer's clock. Timer ticks and mouse
// events arrive through the same loop; the time field tells them apart.
// (color_trail_b is built from this same source.)
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
    int last_x = 100, last_y = 100;  // where the trail ends: always the pen position
    int phase = 0;                   // time of the latest tick in ms
    while (gin) {
        if (ev.time != 0) phase = ev.time;  // only timer ticks carry a time
        gout << color(wave(phase % 256), wave((phase + 85) % 256), wave((phase + 170) % 256));

        // Key events carry (0, 0) and so draw to the corner; buttons count by their position.
        if (ev.time == 0 && (ev.pos_x != last_x || ev.pos_y != last_y)) {
            last_x = ev.pos_x;
            last_y = ev.pos_y;
            gout << line_to(last_x, last_y) << move_to(last_x, last_y) << refresh;
        }
        gin >> ev;
    }
    return 0;
}
