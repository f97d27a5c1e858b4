// A white trail follows the mouse from the centre: each new position is joined to the last one.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;
    gout << color(255, 255, 255);

    event ev;
    gin >> ev;
    int last_x = 100, last_y = 100;  // where the pen starts
    while (gin) {
        // Every event counts by its position; key events carry (0, 0), the top-left corner.
        if (ev.pos_x != last_x || ev.pos_y != last_y) {
            last_x = ev.pos_x;
            last_y = ev.pos_y;
            gout << line_to(last_x, last_y) << refresh;
        }
        gin >> ev;
    }
    return 0;
}
