// Tutorial step 2: a ball that moves. Every timer tick it takes one step and is drawn there.
#include "graphics.hpp"

using namespace easel;

const color grey(160, 160, 160), white(255, 255, 255);
const int ball_size = 8;  // the ball is a square of 8 x 8 pixels

void draw_court() {
    gout << grey;
    gout << move_to(0, 24) << box(319, 3);
    gout << move_to(0, 24) << box(3, 215);
    gout << move_to(316, 24) << box(3, 215);
    gout << white << move_to(8, 18) << text("Pong");
}

int main() {
    if (!gout.open(320, 240)) return 1;
    draw_court();
    gout << refresh;

    int x = 40, y = 60;  // the ball's top-left corner
    int dx = 4, dy = 2;  // its step on every tick

    gin.timer(20);  // a timer event every 20 milliseconds: 50 steps a second
    event ev;
    while (gin >> ev) {
        if (ev.type == ev_timer) {
            x += dx;
            y += dy;
            gout << white << move_to(x, y) << box(ball_size - 1, ball_size - 1) << refresh;
        }
    }
    return 0;
}
