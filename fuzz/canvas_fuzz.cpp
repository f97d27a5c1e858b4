// Feeds arbitrary command sequences with arbitrary int arguments to canvases of arbitrary sizes:
// nothing may read or write outside a surface, overflow, or crash.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <SDL.h>

#include "graphics.hpp"

using namespace easel;

namespace {

class input {
public:
    input(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    std::uint8_t byte() {
        if (left_ == 0) return 0;
        --left_;
        return *data_++;
    }
    int number() {
        // Mostly small values near the edges, sometimes any int at all.
        const std::uint8_t kind = byte();
        if (kind < 200) return static_cast<int>(kind) - 20;
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i) raw = raw << 8 | byte();
        int value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t left_;
};

void apply(canvas& target, canvas& other, input& in) {
    switch (in.byte() % 13) {
    case 0: target << color(in.number(), in.number(), in.number()); break;
    case 1: target << move(in.number(), in.number()); break;
    case 2: target << move_to(static_cast<unsigned>(in.number()), static_cast<unsigned>(in.number())); break;
    case 3: target << line(in.number(), in.number()); break;
    case 4: target << line_to(static_cast<unsigned>(in.number()), static_cast<unsigned>(in.number())); break;
    case 5: target << box(in.number(), in.number()); break;
    case 6: target << box_to(static_cast<unsigned>(in.number()), static_cast<unsigned>(in.number())); break;
    case 7: target << dot; break;
    case 8: {
        std::string s;
        for (int n = in.byte() % 24; n > 0; --n) s += static_cast<char>(in.byte());
        target << text(s);
        break;
    }
    case 9: target << stamp(other, in.number(), in.number()); break;
    case 10: {
        const int x1 = in.number(), y1 = in.number(), x2 = in.number(), y2 = in.number();
        target << stamp(other, x1, y1, x2, y2, in.number(), in.number());
        break;
    }
    case 11: other.transparent(in.byte() & 1); break;
    case 12: target.blitfrom(target, in.number(), in.number(), in.number(), in.number(), in.number(), in.number()); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    input in(data, size);
    canvas a(in.byte() % 64, in.byte() % 64);
    canvas b(in.byte() % 64, in.byte() % 64);
    for (int steps = 0; !in.empty() && steps < 64; ++steps) {
        const bool swap = in.byte() & 1;
        apply(swap ? b : a, swap ? a : b, in);
    }
    return 0;
}
