// A sine curve plotted as one white dot per column, shown at once.
#include <cmath>

#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;
    gout << color(255, 255, 255);

    for (int x = 0; x < 200; ++x) {
        // Rows grow downwards, so the wave first bends down from the middle row 100.
        const int y = static_cast<int>(std::sin(x / 10.0) * 15.0 + 100.0);
        gout << move_to(x, y) << dot;
    }
    gout << refresh;

    event ev;
    while (gin) gin >> ev;
    return 0;
}
