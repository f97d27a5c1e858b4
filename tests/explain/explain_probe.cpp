// Makes one of each mistake the library explains, then saves the window to the file named by its
// argument, and ends with a mistake on a canvas that goes and one on the window. Ends with 1 when the
// window cannot be opened. With --wait instead, asks for a canvas of no width and reads an event with
// no window open and no timer running. With --frames, refuses two moves in each of three frames.
#include <cstring>

#include "graphics.hpp"

using namespace easel;

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--wait") == 0) {
        canvas empty;
        empty.open(0, 5);
        event ev;
        return gin >> ev ? 0 : 3;
    }
    if (argc > 1 && std::strcmp(argv[1], "--frames") == 0) {
        if (!gout.open(100, 100)) return 1;
        for (int frame = 0; frame < 3; ++frame) gout << move_to(500, frame) << move_to(600, frame) << refresh;
        return 0;
    }
    gout << move_to(10, 10) << dot;
    if (!gout.open(200, 200)) return 1;
    gout << move_to(10, 10) << text("Score");
    for (int i = 0; i < 5; ++i) gout << move_to(500, 500 + i);
    gout << move_to(180, 10) << box(50, 50);
    gout << color(300, 0, 0) << color(0, -1, 0) << move_to(20, 40) << box(5, 5);
    canvas sprite(10, 10);
    sprite.transparent(true);
    gout << stamp(sprite, 0, 0);
    gout.save("/nonexistent/dir/x.png");
    gout << refresh;
    const bool saved = argc > 1 && gout.save(argv[1]);
    {
        canvas scratch(20, 20);
        scratch << color(256, 1, 1);  // told when scratch goes
    }
    gout << box_to(500, 5);  // told when the program ends
    return saved ? 0 : 2;
}
