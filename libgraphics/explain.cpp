#include "explain.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.hpp"

namespace easel::explain {
namespace {

std::atomic<int> said[static_cast<int>(kind::count_of_kinds)];

const char* kind_name(kind k) {
    switch (k) {
        case kind::text_off_canvas: return "text not drawn";
        case kind::move_refused: return "refused moves";
        case kind::box_not_drawn: return "boxes not drawn";
        case kind::open_refused: return "refused opens";
        case kind::no_surface: return "drawing before open";
        case kind::waits_for_nothing: return "waits for nothing";
        case kind::save_failed: return "failed saves";
        case kind::sprite_all_black: return "see-through stamps";
        case kind::colour_wraps: return "colours past 255";
        default: return "explanations";
    }
}

}  // namespace

bool on() {
    static const bool asked = [] {
        const char* value = std::getenv("EASEL_EXPLAIN");
        if (value == nullptr || *value == '\0') return platform::explains_unasked();
        return std::strcmp(value, "0") != 0;
    }();
    return asked;
}

bool wanted(kind k) { return on() && said[static_cast<int>(k)].load(std::memory_order_relaxed) <= shown_per_kind; }

void say(kind k, const std::string& line) {
    if (!on()) return;
    const int count = ++said[static_cast<int>(k)];
    if (count <= shown_per_kind)
        std::fprintf(stderr, "easel: %s\n", line.c_str());
    else if (count == shown_per_kind + 1)
        std::fprintf(stderr, "easel: more %s are not shown\n", kind_name(k));
}

std::string quoted(const std::string& s) {
    constexpr std::size_t longest = 24;
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < longest; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\n') out += "\\n";
        else if (c == '"' || c == '\\') out += std::string("\\") + s[i];
        else if (c < 0x20 || c == 0x7F) out += "?";
        else out += s[i];
    }
    if (s.size() > longest) out += "...";
    return out + "\"";
}

std::string canvas_size(bool window, int width, int height) {
    return std::string(window ? "the window" : "the canvas") + " is " + std::to_string(width) + " x " +
           std::to_string(height);
}

}  // namespace easel::explain
