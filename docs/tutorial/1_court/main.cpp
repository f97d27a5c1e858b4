// Tutorial step 1: the court. Walls as filled boxes, a title as text; then wait for the window
// to be closed.
#include "graphics.hpp"

using namespace easel;

int main() {
    if (!gout.open(320, 240)) return 1;  // a black window of 320 x 240 pixels

    // Grey walls at the top, left and right; the bottom stays open. A box is filled from the pen
    // to the pen + (x, y), both corners included.
    gout << color(160, 160, 160);
    gout << move_to(0, 24) << box(319, 3);    // top wall: rows 24 to 27
    gout << move_to(0, 24) << box(3, 215);    // left wall: columns 0 to 3
    gout << move_to(316, 24) << box(3, 215);  // right wall: columns 316 to 319

    // The title above the court: the pen's row is the baseline of the text.
    gout << color(255, 255, 255) << move_to(8, 18) << text("Pong") << refresh;

    event ev;
    while (gin >> ev) {  // waits for the next event; false once the window is closed
    }
    return 0;
}
