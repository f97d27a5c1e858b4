// Ten concentric circles, each made of 360 straight chords, then a polyline built with the left
// mouse button: the first click places a dot, every later one draws a line from the click before.
#include <cmath>

#include "graphics.hpp"

using namespace easel;

// Draws the circle of radius r around (cx, cy) in the pen colour, one chord per degree.
// Degree 0 is the bottom point; 3.1415 stands in for pi.
void kor(int cx, int cy, int r) {
    auto radians = [](int degrees) { return degrees / 180.0 * 3.1415; };
    // The point at d degrees, truncated toward zero to whole pixels.
    auto x_at = [&](int d) { return static_cast<int>(cx + r * std::sin(radians(d))); };
    auto y_at = [&](int d) { return static_cast<int>(cy + r * std::cos(radians(d))); };
    for (int deg = 0; deg < 360; ++deg) {
        gout << move_to(x_at(deg), y_at(deg)) << line_to(x_at(deg + 1), y_at(deg + 1));
    }
}

int main() {
    if (!gout.open(200, 200)) return 1;
    gout << color(255, 255, 255);
    for (int ring = 0; ring < 10; ++ring) kor(100, 100, ring * 10);
    gout << refresh;

    event ev;
    gin >> ev;
    bool started = false;  // has the first point been placed?
    while (gin) {
        if (ev.button == btn_left) {  // a press; releases are negative
            if (!started) {
                gout << move_to(ev.pos_x, ev.pos_y) << dot << refresh;
                started = true;
            } else {
                gout << line_to(ev.pos_x, ev.pos_y) << dot << refresh;
            }
        }
        gin >> ev;
    }
    return 0;
}
