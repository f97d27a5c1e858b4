// Draws arbitrary byte strings as text (read as UTF-8 or as Latin-2 bytes) and the text of any key
// code at any pen position on canvases of any small size, measures them and erases their last
// characters: nothing may be touched outside the canvas, the pen stays on it, and an erase only
// ever shortens the string to a prefix of itself.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    if (data[2] & 1) c << latin2(s);
    else c << text(s);
    int keycode;
    std::memcpy(&keycode, data, sizeof keycode);
    c << text(keytext(keycode));
    if (!c.pen_on_canvas() || c.twidth(s) < 0) std::abort();
    std::string rest = s;
    for (int erased = 0; erased < 8 && !rest.empty(); ++erased) {
        const std::size_t before = rest.size();
        erase_last_char(rest);
        if (rest.size() >= before || !std::equal(rest.begin(), rest.end(), s.begin())) std::abort();
    }
    return 0;
}
