// Reads events the way a slow program does: the timer ticks every millisecond and handling each
// event takes the number of milliseconds given as the argument (20 without one). Exits 0 when
// the stream ends.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "graphics.hpp"

using namespace easel;

int main(int argc, char* argv[]) {
    const int handling_ms = argc > 1 ? std::atoi(argv[1]) : 20;
    gout.open(200, 200);
    gin.timer(1);
    event ev;
    while (gin >> ev) std::this_thread::sleep_for(std::chrono::milliseconds(handling_ms));
    return 0;
}
