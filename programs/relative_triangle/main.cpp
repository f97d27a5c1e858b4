// A triangle drawn with relative commands only, from where open leaves the pen (the centre)
// in its first colour (white).
#include "graphics.hpp"

using namespace easel;

int main() {
    // Commands are values: made first, drawn later. Each step is (x, y), y growing downwards.
    const line left_side(-20, 20);
    const line right_side(-20, -20);
    const line base(40, 0);
    const move to_base_start(-20, 0);

    if (!gout.open(200, 200)) return 1;
    gout << to_base_start << base << right_side << left_side << refresh;

    event ev;
    while (gin) gin >> ev;
    return 0;
}
