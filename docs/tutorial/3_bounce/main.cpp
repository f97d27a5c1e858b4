// Tutorial step 3: the ball bounces. The old ball is painted over in black before the new one is
// drawn, and a step that would enter a wall turns the ball around.
#include "graphics.hpp"

using namespace easel;

const color black(0, 0, 0), grey(160, 160, 160), white(255, 255, 255);
const int ball_size = 8;
// The free space inside the walls: columns court_left to court_right - 1, rows from court_top.
const int court_left = 4, court_right = 316, court_top = 28, court_bottom = 240;

void draw_court() {
    gout << grey;
    gout << move_to(0, 24) << box(319, 3);
    gout << move_to(0, 24) << box(3, 215);
    gout << move_to(316, 24) << box(3, 215);
    gout << white << move_to(8, 18) << text("Pong");
}

void draw_ball(int x, int y, color c) {
    gout << c << move_to(x, y) << box(ball_size - 1, ball_size - 1);
}

int main() {
    if (!gout.open(320, 240)) return 1;
    draw_court();
    gout << refresh;

    int x = 40, y = 60;
    int dx = 4, dy = 2;

    gin.timer(20);
    event ev;
    while (gin >> ev) {
        if (ev.type == ev_timer) {
            if (x + dx < court_left || x + dx + ball_size > court_right) dx = -dx;
            if (y + dy < court_top || y + dy + ball_size > court_bottom) dy = -dy;
            draw_ball(x, y, black);  // erases the ball where it was
            x += dx;
            y += dy;
            draw_ball(x, y, white);
            gout << refresh;
        }
    }
    return 0;
}
