// A board of 5 x 5 pixel squares, black and light grey: every pixel gets a grey level computed
// from its own coordinates, and the whole picture is shown with one refresh.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;

    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 200; ++y) {
            // x / 5 and y / 5 number the square; neighbouring squares differ by one.
            const int shade = ((x / 5 + y / 5) % 2) * 250;
            gout << move_to(x, y) << color(shade, shade, shade) << dot;
        }
    }
    gout << refresh;

    event ev;
    while (gin) gin >> ev;
    return 0;
}
