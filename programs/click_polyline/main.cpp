// Each left click adds a point; every point after the first is joined to the one before by a
// white line. The program does not store the previous point: the pen stays there.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;
    gout << color(255, 255, 255);

    event ev;
    gin >> ev;
    bool started = false;  // has the first point been placed?
    while (gin) {
        if (ev.button == btn_left) {  // a press; releases are negative
            if (!started) {
                gout << move_to(ev.pos_x, ev.pos_y) << dot << refresh;
                started = true;
            } else {
                gout << line_to(ev.pos_x, ev.pos_y) << dot << refresh;
            }
        }
        gin >> ev;
    }
    return 0;
}
