// Diagonal grey bands: every pixel's grey level is x + y. Colours keep only their low 8 bits,
// so past 255 the level starts again from black.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;

    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 200; ++y) {
            const int shade = x + y;  // up to 398; the library takes it modulo 256
            gout << move_to(x, y) << color(shade, shade, shade) << dot;
        }
    }
    gout << refresh;

    event ev;
    while (gin) gin >> ev;
    return 0;
}
