// Cy's answer: a list that was never made.
#include "graphics.hpp"
using namespace easel;

struct dot_list { int x[4], y[4]; int count; };

int main() {
    gout.open(200, 200);
    gout << move_to(90, 90) << color(255, 0, 0) << box(19, 19) << refresh;
    dot_list* dots = nullptr;  // never allocated: the first click writes through a null pointer
    for (event ev; gin >> ev;) {
        if (ev.button == btn_left) {
            dots->x[dots->count] = ev.pos_x;
            dots->y[dots->count++] = ev.pos_y;
            gout << move_to(ev.pos_x, ev.pos_y) << color(255, 255, 255) << dot << refresh;
        }
    }
}
