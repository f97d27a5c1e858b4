// Draws arbitrary byte strings as text at any pen position on canvases of any small size, and
// measures them: nothing may be touched outside the canvas, and the pen stays on it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <SDL.h>

#include "graphics.hpp"

using namespace easel;

namespace {

struct probe : canvas {
    probe(int w, int h) : canvas(w, h) {}
    bool pen_on_canvas() const { return pt_x >= 0 && pt_x < buf->w && pt_y >= 0 && pt_y < buf->h; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    probe c(data[0] % 64 + 1, data[1] % 64 + 1);
    c << move_to(data[2] % 72, data[3] % 72);
    const std::string s(reinterpret_cast<const char*>(data) + 4, size - 4);
    c << text(s);
    if (!c.pen_on_canvas() || c.twidth(s) < 0) std::abort();
    return 0;
}
