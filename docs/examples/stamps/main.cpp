// Stamps: draw a sprite once on a small off-screen canvas, make its black see-through, and
// stamp it as often as you like over a background. Close the window to end.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;

    // The background: blue sky over green grass.
    gout << color(70, 130, 220) << move_to(0, 0) << box(199, 139);
    gout << color(40, 160, 60) << move_to(0, 140) << box(199, 59);

    // The sprite, drawn once: a yellow flower on black, which will not show.
    canvas flower(15, 15);
    flower << color(250, 210, 40) << move_to(4, 0) << box(6, 14) << move_to(0, 4) << box(14, 6);
    flower << color(200, 60, 30) << move_to(5, 5) << box(4, 4);
    flower.transparent(true);

    for (int i = 0; i < 6; ++i) gout << stamp(flower, 10 + 31 * i, 150 + (i % 2) * 20);
    gout << stamp(flower, 92, 40);  // one in the sky too: only its black corners let the sky through
    gout << refresh;

    event ev;
    while (gin >> ev) {
        if (ev.button == btn_left) gout << stamp(flower, ev.pos_x - 7, ev.pos_y - 7) << refresh;
    }
    return 0;
}
