// A course's own program on easel: a line of UTF-8 text. With a file name as argument it saves the
// window there and ends; without, it waits for events until the window is closed.
#include "graphics.hpp"

using namespace easel;

int main(int argc, char* argv[]) {
    if (!gout.open(320, 60)) return 1;
    gout << move_to(10, 40) << text("Árvíztűrő tükörfúrógép") << refresh;
    if (argc > 1) return gout.save(argv[1]) ? 0 : 2;
    event ev;
    while (gin >> ev) {
    }
    return 0;
}
