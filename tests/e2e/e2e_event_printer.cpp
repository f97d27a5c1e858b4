// Prints every event record it reads, one line each:
//     keycode pos_x pos_y button time type
// and exits 0 when the window is closed. The end-to-end tests read its output. An argument is
// given to the window as its title.
#include <cstdio>

#include "graphics.hpp"

using namespace easel;

int main(int argc, char** argv) {
    if (argc > 1) gout.title(argv[1]);
    gout.open(200, 200);
    event ev;
    while (gin >> ev) {
        std::printf("%d %d %d %d %d %d\n", ev.keycode, ev.pos_x, ev.pos_y, ev.button, ev.time, ev.type);
        std::fflush(stdout);
    }
    return 0;
}
