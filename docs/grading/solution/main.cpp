// The teacher's solution: a red 20 x 20 square at (90, 90); a left click puts a white dot where the
// mouse is; the key c clears the window and draws the square again; the key s saves it in drawing.bmp.
#include "graphics.hpp"
using namespace easel;

void draw_square() {
    gout << move_to(0, 0) << color(0, 0, 0) << box(199, 199);
    gout << move_to(90, 90) << color(255, 0, 0) << box(19, 19) << refresh;
}

int main() {
    gout.open(200, 200);
    draw_square();
    event ev;
    while (gin >> ev) {
        if (ev.button == btn_left)
            gout << move_to(ev.pos_x, ev.pos_y) << color(255, 255, 255) << dot << refresh;
        if (ev.keycode == 'c')
            draw_square();
        if (ev.keycode == 's')
            gout.save("drawing.bmp");
    }
    return 0;
}
