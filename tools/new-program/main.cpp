// Draws a red cross and waits until the window is closed.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;       // a black 200 x 200 window, pen at the centre
    gout << color(255, 0, 0)
         << move_to(20, 20) << line_to(180, 180)
         << move_to(180, 20) << line_to(20, 180)
         << refresh;                            // nothing shows until refresh
    event ev;
    while (gin >> ev) {                         // false once the window is closed
        if (ev.button == btn_left)              // a left click: a white dot there
            gout << color(255, 255, 255) << move_to(ev.pos_x, ev.pos_y) << dot << refresh;
    }
    return 0;
}
