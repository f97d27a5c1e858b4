// Sixty outlines of one triangle on a blue square, each a pixel further left and a little lighter:
// one relative drawing recipe, repeated with a moving pen, builds a shaded shape.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;

    gout << move_to(10, 10) << color(0, 0, 200) << box(180, 180) << move_to(130, 100);
    for (int step = 0; step < 60; ++step) {
        gout << color(4 * step, 4 * step, 4 * step);  // black, then lighter: 0, 4, ..., 236
        // The triangle around the pen, which ends where it started...
        gout << move(-20, 0) << line(40, 0) << line(-20, -20) << line(-20, 20) << move(20, 0);
        // ...and one pixel to the left for the next one.
        gout << move(-1, 0);
    }
    gout << refresh;

    event ev;
    while (gin) gin >> ev;
    return 0;
}
