// Each left click leaves one white pixel where the pointer is.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;
    gout << color(255, 255, 255);

    event ev;
    gin >> ev;
    while (gin) {
        if (ev.button == btn_left) {  // a press; releases are negative
            gout << move_to(ev.pos_x, ev.pos_y) << dot << refresh;
        }
        gin >> ev;
    }
    return 0;
}
