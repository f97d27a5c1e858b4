// The machinery behind graphics.hpp, which includes it at its end: how a command's numbers become
// ints, how streaming applies a command, and the inline bodies of the per-pixel primitives and the
// commands, so that a program's loop of move_to, color and dot compiles to a few tests and one store
// per pixel. Nothing here is for programs to call.
#pragma once

#include <type_traits>

namespace easel {
namespace detail {

template <typename T>
constexpr bool is_text = std::is_convertible_v<T, std::string> || std::is_same_v<T, char>;

// A number given to a command, as the int the command keeps. Integers keep their low 32 bits, as
// converting them to int does. A floating value is truncated toward zero; one that no int holds
// (NaN, infinite, out of range) refuses the command and keeps its truncation modulo 2^32 (0 for
// NaN and infinities), whose low 8 bits are what a colour component needs.
struct arg {
    int value = 0;
    bool refused = false;

    template <typename T, std::enable_if_t<std::is_arithmetic_v<T>, bool> = true>
    arg(T v) {
        if constexpr (std::is_floating_point_v<T>) {
            refused = !(v > -2147483649.0 && v < 2147483648.0);
            const auto wrapped = modulo_2_32(v);
            value = __builtin_isnan(wrapped) ? 0 : static_cast<int>(static_cast<long long>(wrapped));
        } else {
            value = static_cast<int>(v);
        }
    }

    // The compiler's own fmod rather than <cmath>'s, which every program would otherwise parse: as
    // std::fmod(v, 4294967296.0) does, float is taken as double, and long double stays long double.
    static double modulo_2_32(double v) { return __builtin_fmod(v, 4294967296.0); }
    static long double modulo_2_32(long double v) { return __builtin_fmodl(v, 4294967296.0L); }
};

// What the commands reach inside a canvas. Every absolute position takes one route: the vector
// from the pen in 64 bits (vector_to), given to a primitive that takes such a vector, so that any
// int target is reached along its true slope or refused.
struct canvas_internals {
    struct vector {
        long long x, y;
    };
    static vector vector_to(const canvas& out, int pos_x, int pos_y) {
        return {static_cast<long long>(pos_x) - out.x(), static_cast<long long>(pos_y) - out.y()};
    }
    static bool move_by(canvas& out, vector v) { return out.move_by(v.x, v.y); }
    static void trace_line(canvas& out, vector v) { out.trace_line(v.x, v.y); }
    // A box whose far corner is beyond the int range is beyond the canvas too: nothing is drawn.
    static void draw_box(canvas& out, vector v) {
        constexpr long long int_min = -2147483647LL - 1;
        if (v.x >= int_min && v.y >= int_min) out.draw_box(static_cast<int>(v.x), static_cast<int>(v.y));
    }
    static void draw_cells(canvas& out, const std::string& str, bool as_utf8) { out.draw_cells(str, as_utf8); }
    // Fills the box and says whether its far corner lay inside, that is whether it was drawn.
    static bool fill_box(canvas& out, vector v) {
        const bool inside = out.view.width > 0 && out.pt_x + v.x >= 0 && out.pt_x + v.x < out.view.width &&
                            out.pt_y + v.y >= 0 && out.pt_y + v.y < out.view.height;
        draw_box(out, v);
        return inside;
    }
    static bool opened(const canvas& out) { return out.buf != nullptr; }

    // With explanations asked for (EASEL_EXPLAIN=1), what a command did wrong is kept in the canvas,
    // as it was written with its numbers, and told on standard error by the canvas's next
    // out-of-line call (tell_kept). Each kind keeps at most as many as can still be told. A call
    // here would keep the compiler from holding a drawing loop's state in registers. The pen's
    // fields lie apart in a kept record: side by side, the compiler reads them as one 64-bit word,
    // which the processor cannot take from the two 32-bit stores a move has just made.
    enum class command_id : int { move, line, box, move_to, line_to, box_to, color };
    // The bits of a colour component past 255 (its sign too) while explanations are asked for,
    // none otherwise, so that without explanations a colour command's test never holds. A long
    // long, which no int or pixel store can change as far as the compiler knows: a drawing loop
    // keeps it in a register. Set once, when the first canvas is made.
    static inline long long wrapping_bits = 0;
    static constexpr int kind_of(command_id c) {
        return c == command_id::color ? 2 : c == command_id::box || c == command_id::box_to ? 1 : 0;
    }
    static void keep(canvas& out, command_id command, int first, int second, int third = 0) {
        auto& log = out.explanations;
        int& room = log.room[kind_of(command)];
        if (room == 0) return;
        --room;
        log.kept[log.count++] = {static_cast<int>(command), out.pt_x, first, second, out.pt_y, third};
    }
    static bool has_kept(const canvas& out) { return out.explanations.count != 0; }
    // Tells what the canvas kept, in order, and makes room again for what can still be told.
    static void tell_kept(const canvas& out);
    // Room in each kind for as many as can still be told; a new canvas starts with it.
    static void make_room(const canvas& out);
    static void explain_refused(const canvas& out, const canvas::kept_explanation& kept);
};

}  // namespace detail

template <typename Never>
canvas& operator<<(canvas& out, std::ostream& (*)(std::ostream&)) {
    static_assert(!std::is_void_v<Never>, "easel: std::endl is for std::cout: gout << refresh shows the picture");
    return out;
}

template <typename T>
canvas& operator<<(canvas& out, T oper) {
    if constexpr (std::is_invocable_v<T&, canvas&>) {
        oper(out);
    } else {
        static_assert(!detail::is_text<T>,
                      "easel: text is drawn with the text command: gout << text(\"Hello\")");
        static_assert(detail::is_text<T> || !std::is_arithmetic_v<T>,
                      "easel: a number is drawn as text: gout << text(std::to_string(n))");
        static_assert(detail::is_text<T> || std::is_arithmetic_v<T>,
                      "easel: only drawing commands (color, move_to, line_to, box, text, dot, refresh, ...) "
                      "can be streamed into a canvas");
    }
    return out;
}

// The per-pixel primitives.

inline void canvas::set_color(int r, int g, int b) {
    // The low 8 bits of each, shifted in as they come and the top cut off once: two instructions
    // fewer per colour than masking each component.
    const auto bits = [](int v) { return static_cast<unsigned>(v); };
    draw_clr = static_cast<int>(((bits(r) << 8 | (bits(g) & 255u)) << 8 | (bits(b) & 255u)) & 0xFFFFFFu);
}

inline bool canvas::move_point(int x, int y) { return move_by(x, y); }

// Without a surface the view is 0 x 0 and refuses every position.
inline bool canvas::move_by(long long x, long long y) {
    const long long nx = pt_x + x;
    const long long ny = pt_y + y;
    if (nx < 0 || nx >= view.width || ny < 0 || ny >= view.height) return false;
    pt_x = static_cast<int>(nx);
    pt_y = static_cast<int>(ny);
    return true;
}

inline void canvas::draw_dot() {
    if (!view.pixels) return draw_dot_locked();
    view.pixels[pt_y * view.stride + pt_x].value = static_cast<std::uint32_t>(draw_clr);
}

// The commands: each keeps its numbers and whether one was refused, and applies itself unless one
// was.

inline color::color(detail::arg r, detail::arg g, detail::arg b) : red(r.value), green(g.value), blue(b.value) {}
inline void color::operator()(canvas& out) const {
    using internals = detail::canvas_internals;
    const bool wraps = ((red | green | blue) & static_cast<int>(internals::wrapping_bits)) != 0;
    if (__builtin_expect(wraps, 0)) internals::keep(out, internals::command_id::color, red, green, blue);
    out.set_color(red, green, blue);
}

// `apply` says whether the command did what it asked; one that did not is kept to be explained.
#define EASEL_PAIR_COMMAND(command, first, second, apply)                                                   \
    inline command::command(detail::arg x, detail::arg y)                                                  \
        : first(x.value), second(y.value), refused(x.refused || y.refused) {}                              \
    inline void command::operator()(canvas& out) const {                                                   \
        if (!refused && !(apply))                                                                          \
            detail::canvas_internals::keep(out, detail::canvas_internals::command_id::command, first,      \
                                           second);                                                        \
    }
EASEL_PAIR_COMMAND(move, vec_x, vec_y, out.move_point(vec_x, vec_y))
EASEL_PAIR_COMMAND(line, vec_x, vec_y, (out.draw_line(vec_x, vec_y), detail::canvas_internals::opened(out)))
EASEL_PAIR_COMMAND(box, vec_x, vec_y, detail::canvas_internals::fill_box(out, {vec_x, vec_y}))
EASEL_PAIR_COMMAND(move_to, pos_x, pos_y,
                   detail::canvas_internals::move_by(out, detail::canvas_internals::vector_to(out, pos_x, pos_y)))
EASEL_PAIR_COMMAND(line_to, pos_x, pos_y,
                   (detail::canvas_internals::trace_line(out, detail::canvas_internals::vector_to(out, pos_x, pos_y)),
                    detail::canvas_internals::opened(out)))
EASEL_PAIR_COMMAND(box_to, pos_x, pos_y,
                   detail::canvas_internals::fill_box(out, detail::canvas_internals::vector_to(out, pos_x, pos_y)))
#undef EASEL_PAIR_COMMAND

inline text::text(const std::string& s) : str(s) {}
inline text::text(char c) : str(1, c) {}
inline void text::operator()(canvas& out) const { out.draw_text(str); }

inline latin2::latin2(const std::string& s) : str(s) {}
inline void latin2::operator()(canvas& out) const { detail::canvas_internals::draw_cells(out, str, false); }

inline stamp::stamp(canvas& src, detail::arg sx, detail::arg sy, detail::arg width, detail::arg height,
                    detail::arg x, detail::arg y)
    : c(src), x1(sx.value), y1(sy.value), x2(width.value), y2(height.value), x3(x.value), y3(y.value),
      refused(sx.refused || sy.refused || width.refused || height.refused || x.refused || y.refused) {}
inline stamp::stamp(canvas& src, detail::arg x, detail::arg y) : stamp(src, -1, -1, -1, -1, x, y) {}
inline void stamp::operator()(canvas& out) const {
    if (!refused) out.blitfrom(c, x1, y1, x2, y2, x3, y3);
}

inline void dot(canvas& out) { out.draw_dot(); }
inline void refresh(canvas& out) { out.refresh(); }

}  // namespace easel
