// Reads events the way a slow program does: e2e_slow_reader [period handling]: the timer ticks every
// period milliseconds (1 unless given) and handling each event takes handling milliseconds (20
// unless given). Prints "key <code>" for each key press and "button <number>" for each button
// press it reads, and "loop ended" when the stream ends, then exits 0.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "graphics.hpp"

using namespace easel;

int main(int argc, char** argv) {
    const int period = argc > 1 ? std::atoi(argv[1]) : 1;
    const int handling = argc > 2 ? std::atoi(argv[2]) : 20;
    gout.open(200, 200);
    gin.timer(period);
    event ev;
    while (gin >> ev) {
        if (ev.keycode > 0) std::printf("key %d\n", ev.keycode);
        if (ev.button > 0) std::printf("button %d\n", ev.button);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(handling));
    }
    std::puts("loop ended");
    std::fflush(stdout);
    return 0;
}
