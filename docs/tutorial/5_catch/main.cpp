// Tutorial step 5: the ball bounces only off the paddle. Missed, it falls out of the court and
// the game is over.
#include <algorithm>

#include "graphics.hpp"

using namespace easel;

const color black(0, 0, 0), grey(160, 160, 160), white(255, 255, 255), yellow(255, 200, 0),
    red(255, 80, 80);
const int ball_size = 8;
const int court_left = 4, court_right = 316, court_top = 28, court_bottom = 240;
const int paddle_y = 224, paddle_width = 48, paddle_height = 6, paddle_step = 24, paddle_speed = 4;

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

void draw_paddle(int px, color c) {
    gout << c << move_to(px, paddle_y) << box(paddle_width - 1, paddle_height - 1);
}

int main() {
    if (!gout.open(320, 240)) return 1;
    int px = 136;
    draw_court();
    draw_paddle(px, yellow);
    gout << refresh;

    int x = 40, y = 60;
    int dx = 4, dy = 2;
    bool playing = true;

    gin.timer(20);
    event ev;
    while (gin >> ev) {
        if (ev.type == ev_key && (ev.keycode == key_left || ev.keycode == key_right)) {
            draw_paddle(px, black);
            if (ev.keycode == key_left) px = std::max(px - paddle_step, court_left);
            if (ev.keycode == key_right) px = std::min(px + paddle_step, court_right - paddle_width);
            draw_paddle(px, yellow);
            gout << refresh;
        }
        if (ev.type == ev_timer && playing) {
            // A key held down keeps the paddle going, paddle_speed pixels a tick.
            const int held = (gin.key_held(key_right) ? 1 : 0) - (gin.key_held(key_left) ? 1 : 0);
            if (held != 0) {
                draw_paddle(px, black);
                px = std::clamp(px + held * paddle_speed, court_left, court_right - paddle_width);
                draw_paddle(px, yellow);
            }
            if (x + dx < court_left || x + dx + ball_size > court_right) dx = -dx;
            if (y + dy < court_top) dy = -dy;
            // Just above the paddle, and the next step would go into it: back up.
            const bool over_paddle = x + ball_size > px && x < px + paddle_width;
            if (over_paddle && y + ball_size <= paddle_y && y + dy + ball_size > paddle_y) dy = -dy;
            draw_ball(x, y, black);
            x += dx;
            y += dy;
            draw_ball(x, y, white);  // below the window nothing is drawn
            if (y >= court_bottom) {
                playing = false;
                gout << red << move_to(124, 130) << text("Game over");
            }
            gout << refresh;
        }
    }
    return 0;
}
