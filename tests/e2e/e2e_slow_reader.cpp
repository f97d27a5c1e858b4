// Reads events the way a slow program does: the timer ticks every millisecond and handling each
// event takes 20 ms. Prints "loop ended" when the stream ends, then exits 0.
#include <chrono>
#include <cstdio>
#include <thread>

#include "graphics.hpp"

using namespace easel;

int main() {
    gout.open(200, 200);
    gin.timer(1);
    event ev;
    while (gin >> ev) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::puts("loop ended");
    std::fflush(stdout);
    return 0;
}
