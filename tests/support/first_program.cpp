// The smallest program on the library: the README's first steps. With a file name as argument
// it also saves the window, so tests can look at what it drew.
#include "graphics.hpp"

using namespace easel;

int main(int argc, char* argv[]) {
    if (!gout.open(200, 200)) return 1;
    gout << move_to(50, 50) << line(10, 0) << refresh;
    if (argc > 1 && !gout.save(argv[1])) return 2;
    return 0;
}
