// Prints, on every tick of a 50 ms timer, "held" and the names of those of Right, a and the left
// button that are down: "held right a left-button", or "held" alone. Exits 0 when the window is
// closed. The end-to-end tests hold and release them through the X server and read its output.
#include <cstdio>

#include "graphics.hpp"

using namespace easel;

int main() {
    gout.open(200, 200);
    gin.timer(50);
    event ev;
    while (gin >> ev) {
        if (ev.type != ev_timer) continue;
        std::printf("held%s%s%s\n", gin.key_held(key_right) ? " right" : "", gin.key_held('a') ? " a" : "",
                    gin.button_held(btn_left) ? " left-button" : "");
        std::fflush(stdout);
    }
    return 0;
}
