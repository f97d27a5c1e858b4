// Ada's answer to the square exercise.
#include "graphics.hpp"
using namespace easel;

static void square() {
    gout << move_to(0, 0) << color(0, 0, 0) << box(199, 199)
         << move_to(90, 90) << color(255, 0, 0) << box(19, 19) << refresh;
}

int main() {
    gout.open(200, 200);
    square();
    for (event ev; gin >> ev;) {
        if (ev.type == ev_mouse && ev.button == btn_left)
            gout << move_to(ev.pos_x, ev.pos_y) << color(255, 255, 255) << dot << refresh;
        else if (ev.type == ev_key && ev.keycode == 'c')
            square();
        else if (ev.type == ev_key && ev.keycode == 's')
            gout.save("drawing.bmp");
    }
}
