// Uses the screen and the input from a global object's constructor, before main, the way a
// student's game object might. Exits 0 when both served it.
#include "graphics.hpp"

using namespace easel;

namespace {

struct game {
    bool opened;
    game() : opened(gout.open(20, 20)) {
        gout << dot << refresh;
        gin.timer(10);
    }
} early;

}  // namespace

int main() {
    event ev;
    gin >> ev;
    return early.opened && ev.type == ev_timer ? 0 : 1;
}
