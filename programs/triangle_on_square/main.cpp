// A white triangle outline on a blue square: placing the pen absolutely (move_to) and
// relatively (move), drawing with box and line, and showing everything with one refresh.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(200, 200)) return 1;

    // box fills from the pen to 180 pixels right and down, both corners included.
    gout << move_to(10, 10) << color(0, 0, 200) << box(180, 180)
         << move_to(100, 100) << color(255, 255, 255);
    // Base, right side, left side: each line starts where the last one ended.
    gout << move(-20, 0) << line(40, 0) << line(-20, -20) << line(-20, 20) << move(20, 0);
    gout << refresh;

    event ev;
    while (gin) gin >> ev;
    return 0;
}
