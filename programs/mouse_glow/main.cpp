// A diamond-shaped white glow follows the mouse: each new position repaints every pixel with a
// grey level that falls by 2 per pixel of distance |dx| + |dy|.
#include <cstdlib>

#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;

    event ev;
    gin >> ev;
    int last_x = 100, last_y = 100;  // a first event at the centre draws nothing
    while (gin) {
        // Every event counts by its position; key events carry (0, 0), the top-left corner.
        if (ev.pos_x != last_x || ev.pos_y != last_y) {
            last_x = ev.pos_x;
            last_y = ev.pos_y;
            for (int x = 0; x < 200; ++x) {
                for (int y = 0; y < 200; ++y) {
                    const int d = std::abs(x - ev.pos_x) + std::abs(y - ev.pos_y);
                    int shade = 255 - 2 * d;
                    if (shade < 0) shade = 0;
                    gout << move_to(x, y) << color(shade, shade, shade) << dot;
                }
            }
            gout << refresh;
        }
        gin >> ev;
    }
    return 0;
}
