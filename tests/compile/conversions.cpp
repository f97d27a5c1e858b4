// Built with -Wconversion -Werror: numbers as programs compute them go into commands without a
// warning.
#include "graphics.hpp"

using namespace easel;

void draw_from(const event& ev, double t, float f, long long big, unsigned char shade) {
    gout << move_to(ev.pos_x, ev.pos_y) << line_to(t, f) << color(shade, t, big) << move(big, f)
         << line(ev.pos_x - t, 1) << box(f, 2u) << box_to(t * 2, ev.pos_y);
}
