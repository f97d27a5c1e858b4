// A fountain of sparks on the full screen: each spark flies along a parabola from the centre,
// fading from white to black, then starts again. Every 40 ms timer tick moves all sparks one
// step and adds one more. Escape or closing the display ends it.
#include <cstdlib>
#include <vector>

#include "graphics.hpp"

using namespace easel;

// One spark: its offset from the screen centre, its velocity and its brightness.
class szikra {
public:
    // A new spark at the centre, white, with a random velocity that never points downwards.
    // rand() is never seeded, so every run shows the same fountain.
    szikra() {
        x = 0;
        y = 0;
        vx = (std::rand() % 500) / 50.0 - 4.0;    // -4.00 .. 5.98
        vy = ((-std::rand()) % 500) / 50.0;       // -9.98 .. 0: the remainder keeps the minus sign
        s = 255;
    }

    // One step: move with the old velocity, then pull down and fade.
    void lep() {
        x += vx;
        y += vy;
        vy += 0.3;
        s -= 5;
        if (s < 0) *this = szikra();  // burnt out: start again as a new spark
    }

    // A 4 x 4 square at the spark; move_to cuts the fractions off the position.
    void rajz(int X, int Y) { gout << color(s, s, s) << move_to(X / 2 + x, Y / 2 + y) << box(3, 3); }
    void torol(int X, int Y) { gout << color(0, 0, 0) << move_to(X / 2 + x, Y / 2 + y) << box(3, 3); }

private:
    double x, y;    // offset from the screen centre, y downwards
    double vx, vy;  // pixels per step
    int s;          // grey level, 255 when new
};

int main() {
    const int X = 800, Y = 600;
    gout.open(X, Y, true);

    // Ten copies of one spark: they fly together until their first restart.
    std::vector<szikra> s(10, szikra());
    gin.timer(40);

    event ev;
    while (gin) {
        gin >> ev;
        if (ev.time != 0) {  // only timer ticks carry a time
            for (std::size_t i = 0; i < s.size(); ++i) s[i].torol(X, Y);
            for (std::size_t i = 0; i < s.size(); ++i) {
                s[i].lep();
                s[i].rajz(X, Y);
            }
            szikra ujszikra;
            s.push_back(ujszikra);
            gout << refresh;
        }
        if (ev.keycode == key_escape) break;
    }
    return 0;
}
