// Text: the built-in font drawn at the pen, strings read as UTF-8 or ISO-8859-2, and typed text.
#include "graphics.hpp"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "charset.hpp"
#include "explain.hpp"
#include "font_metrics.hpp"
#include "keytbl.hpp"
#include "library_internal.hpp"

namespace easel {

using internal::not_open_advice;
using internal::pen_on;
using internal::pixel_access;
using internal::point;
using internal::reads_as_utf8;

namespace {

#include "charfaces.inc"

constexpr int charwidth = font::cell_width;
constexpr int charheight = font::cell_height;
constexpr int chardescent = font::descent;

// Paints glyphs on a locked surface in one colour. A pixel gets the colour where the glyph's
// intensity is not 0 (fontgen writes only 0 and 15: the font's pixels are full or empty); the top
// byte of each pixel is kept.
class glyph_painter {
public:
    glyph_painter(SDL_Surface* s, int draw_clr)
        : pixels(static_cast<Uint8*>(s->pixels)), pitch(s->pitch), ink(static_cast<Uint32>(draw_clr) & 0x00FFFFFFu) {}

    // Column col of the glyph's cell, at x, its top row at top. What it reads is copied first, so
    // that the compiler keeps it in registers across the pixel stores instead of reading it again
    // for every pixel: text took a third longer so.
    void column(const std::uint32_t* glyph, int col, int x, int top) const {
        Uint8* const base = pixels;
        const std::ptrdiff_t step = pitch;
        const Uint32 colour = ink;
        for (int row = 0; row < charheight; ++row) {
            if (((glyph[row] >> (4 * col)) & 15u) == 0) continue;
            Uint32& p = reinterpret_cast<Uint32*>(base + static_cast<std::ptrdiff_t>(top + row) * step)[x];
            p = (p & 0xFF000000u) | colour;
        }
    }

private:
    Uint8* pixels;
    std::ptrdiff_t pitch;
    Uint32 ink;
};

// Text cells are the codes 0..255 of the glyph table and this one past them.
constexpr int replacement_cell = 256;

// The cells of a text in order: a code 0..255, or replacement_cell for a UTF-8 character that
// ISO-8859-2 lacks.
class text_cells {
public:
    text_cells(const std::string& s, bool utf8) : str(s), as_utf8(utf8) {}
    // Stores the next cell; false at the end of the text.
    bool next(int& cell) {
        if (pos == str.size()) return false;
        const auto byte = static_cast<unsigned char>(str[pos]);
        char32_t c = 0;
        const std::size_t length = as_utf8 && byte >= 0x80 ? charset::utf8_sequence(str, pos, c) : 0;
        if (length == 0) {
            cell = byte;
            ++pos;
            return true;
        }
        const int code = charset::latin2_code(c);
        cell = code < 0 ? replacement_cell : code;
        pos += length;
        return true;
    }

private:
    const std::string& str;
    bool as_utf8;
    std::size_t pos = 0;
};

// Text whose first line does not fit between the top and bottom rows is not drawn.
void explain_text_off(const std::string& str, int x, int y, int width, int height, bool window) {
    if (!explain::on()) return;
    const std::string call = "text(" + explain::quoted(str) + ") at " + point(x, y) + " is not drawn: ";
    if (y < font::ascent)
        explain::say(explain::kind::text_off_canvas,
                     call + "the pen is the baseline and letters need " + std::to_string(font::ascent) +
                         " rows above it; move_to(" + std::to_string(x) + ", " + std::to_string(font::ascent) +
                         ") or lower draws it");
    else
        explain::say(explain::kind::text_off_canvas,
                     call + "letters need " + std::to_string(font::descent) + " rows from the baseline down and " +
                         explain::canvas_size(window, width, height) + "; move_to(" + std::to_string(x) + ", " +
                         std::to_string(height - 1 - font::descent) + ") or higher draws it");
}

}  // namespace

// Text is read as UTF-8 when it is well-formed UTF-8 with at least one multi-byte character;
// any other string byte by byte, as ISO-8859-2 codes.
bool internal::reads_as_utf8(const std::string& s) {
    bool multibyte = false;
    for (std::size_t i = 0; i < s.size();) {
        char32_t c = 0;
        const std::size_t length = charset::utf8_character(s, i, c);
        if (length == 0) return false;
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

int canvas::cascent() const { return charheight - chardescent; }

int canvas::cdescent() const { return chardescent; }

int canvas::twidth(const std::string& s) const {
    std::size_t widest = 0;
    std::size_t current = 0;
    text_cells cells(s, reads_as_utf8(s));
    for (int cell = 0; cells.next(cell);) {
        current = cell == '\n' ? 0 : current + 1;
        if (current > widest) widest = current;
    }
    // A line too wide to measure in an int is as wide as an int can say.
    constexpr std::size_t widest_measurable = INT_MAX / charwidth;
    return widest > widest_measurable ? INT_MAX : static_cast<int>(widest) * charwidth;
}

void canvas::draw_text(const std::string& str) { draw_cells(str, reads_as_utf8(str)); }

// Each cell is drawn column by column, only the pixels its glyph inks, so the background between
// strokes stays as it was.
void canvas::draw_cells(const std::string& str, bool as_utf8) {
    internal::tell_kept(*this);
    if (!buf) explain::say(explain::kind::no_surface, "text(" + explain::quoted(str) + ") before open: " +
                                                          not_open_advice(is_window()));
    if (!pen_on(buf, pt_x, pt_y)) return;
    const int left = pt_x;
    if (pt_y - cascent() < 0 || pt_y + cdescent() >= buf->h) return explain_text_off(str, pt_x, pt_y, buf->w, buf->h, is_window());
    const pixel_access access(buf);
    if (!access) return;
    const glyph_painter painter(buf, draw_clr);
    text_cells cells(str, as_utf8);
    for (int cell = 0; cells.next(cell);) {
        if (cell == '\n') {
            const int line_end_x = pt_x;
            const int line_end_y = pt_y;
            if (!move_point(left - pt_x, charheight)) return;
            if (pt_y + cdescent() >= buf->h) {
                // The next line would not fit: stay at the end of this one.
                pt_x = line_end_x;
                pt_y = line_end_y;
                return;
            }
            continue;
        }
        const auto* glyph = cell == replacement_cell ? replacement_face : charfaces[cell];
        for (int col = 0; col < charwidth; ++col) {
            painter.column(glyph, col, pt_x, pt_y - cascent());
            if (pt_x >= buf->w - 1) return;
            ++pt_x;
        }
    }
}

std::string keytext(int keycode) {
    if (keycode <= 0 || keycode >= key_up) return {};
    // Codes that Windows-1250 gives a character above U+00FF stand for that character; every
    // other code is its character's own value.
    const auto* row = std::find_if(std::begin(charcode_tbl), charcode_end,
                                   [keycode](const code_pair& p) { return p.to == keycode; });
    const auto c = static_cast<char32_t>(row != charcode_end ? row->from : keycode);
    const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
    const bool surrogate = c >= 0xD800 && c < 0xE000;
    return control || surrogate ? std::string() : charset::utf8(c);
}

void erase_last_char(std::string& s) {
    if (s.empty()) return;
    std::size_t last = s.size() - 1;
    if (reads_as_utf8(s))
        while (last > 0 && (static_cast<unsigned char>(s[last]) & 0xC0u) == 0x80u) --last;
    s.erase(last);
}

}  // namespace easel
