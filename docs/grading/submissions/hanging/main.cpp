// Dee's answer: clearing never ends.
#include "graphics.hpp"
using namespace easel;

int main() {
    gout.open(200, 200);
    gout << move_to(90, 90) << color(255, 0, 0) << box(19, 19) << refresh;
    for (event ev; gin >> ev;) {
        if (ev.button == btn_left)
            gout << move_to(ev.pos_x, ev.pos_y) << color(255, 255, 255) << dot << refresh;
        if (ev.keycode == 's') gout.save("drawing.bmp");
        if (ev.keycode == 'c') {
            // Clears the window pixel by pixel, but y never grows.
            gout << color(0, 0, 0);
            for (int y = 0; y < 200;)
                for (int x = 0; x < 200; ++x) gout << move_to(x, y) << dot;
        }
    }
}
