// Text drawn with the built-in font: placement, line breaks, edges, blending and measuring;
// UTF-8 text, and text typed at the keyboard.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "iconv_reference.hpp"
#include "surface_probe.hpp"

namespace glyphs {
#include "charfaces.inc"
}

using namespace easel;
using easel_test::lit_pixels;
using easel_test::pixel_at;
using easel_test::probe_canvas;

namespace {

constexpr Uint32 white = 0xFFFFFF;

using face = const std::uint32_t*;

bool inked(face glyph, int col, int row) { return ((glyph[row] >> (4 * col)) & 15u) != 0; }

// Checks that the cell with its top-left pixel at (left, top) shows exactly glyph, drawn in
// white on black.
void expect_face(SDL_Surface* s, int left, int top, face glyph) {
    for (int row = 0; row < 17; ++row)
        for (int col = 0; col < 8; ++col)
            ASSERT_EQ(pixel_at(s, left + col, top + row), inked(glyph, col, row) ? white : 0u)
                << "cell at " << left << " column " << col << " row " << row;
}

void expect_cell(SDL_Surface* s, int left, int top, unsigned char code) {
    expect_face(s, left, top, glyphs::charfaces[code]);
}

probe_canvas canvas_at(int w, int h, int x, int y) {
    probe_canvas c(w, h);
    EXPECT_TRUE(c.move_point(x - c.x(), y - c.y()));
    return c;
}

}  // namespace

TEST(Text, CellHangsThirteenRowsAboveThePen) {
    probe_canvas c = canvas_at(100, 100, 0, 12);
    c << text("A");
    EXPECT_TRUE(lit_pixels(c.surface()).empty());
    EXPECT_EQ(c.x(), 0);
    c = canvas_at(100, 100, 0, 13);
    c << text(static_cast<char>(0xC1));  // an accented capital reaches row 0
    expect_cell(c.surface(), 0, 0, 0xC1);
    EXPECT_EQ(c.x(), 8);
    EXPECT_EQ(c.y(), 13);
}

TEST(Text, BottomRowsAndRefusal) {
    probe_canvas c = canvas_at(50, 600, 5, 595);
    c << text("gy");
    expect_cell(c.surface(), 5, 582, 'g');
    expect_cell(c.surface(), 13, 582, 'y');
    probe_canvas low = canvas_at(50, 600, 5, 596);
    low << text("gy");
    EXPECT_TRUE(lit_pixels(low.surface()).empty());
    EXPECT_EQ(low.x(), 5);
}

TEST(Text, NewlineReturnsToTheStartingColumnOneLineDown) {
    probe_canvas c = canvas_at(100, 100, 10, 50);
    c << text("ab\ncd");
    expect_cell(c.surface(), 10, 37, 'a');
    expect_cell(c.surface(), 18, 37, 'b');
    expect_cell(c.surface(), 10, 54, 'c');
    expect_cell(c.surface(), 18, 54, 'd');
    EXPECT_EQ(c.x(), 26);
    EXPECT_EQ(c.y(), 67);
}

TEST(Text, NewlineThatWouldNotFitStopsAtTheEndOfTheLine) {
    probe_canvas c = canvas_at(100, 70, 10, 50);  // the next baseline, 67, leaves no room below
    c << text("ab\ncd");
    EXPECT_EQ(c.x(), 26);
    EXPECT_EQ(c.y(), 50);
    EXPECT_EQ(pixel_at(c.surface(), 10, 60), 0u);
}

TEST(Text, StopsForGoodAtTheRightEdge) {
    probe_canvas c = canvas_at(800, 100, 796, 50);
    c << text("MM\nMM");
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 17; ++row)
            EXPECT_EQ(pixel_at(c.surface(), 796 + col, 37 + row), inked(glyphs::charfaces['M'], col, row) ? white : 0u);
    EXPECT_EQ(c.x(), 799);
    EXPECT_EQ(c.y(), 50);
    for (const auto& p : lit_pixels(c.surface())) EXPECT_LT(p.second, 54);
}

TEST(Text, BlankCodesAdvanceAndLeaveThePixels) {
    probe_canvas c = canvas_at(100, 40, 0, 20);
    c << text(std::string(" \x01\x7f\x80\xa0", 5));
    EXPECT_TRUE(lit_pixels(c.surface()).empty());
    EXPECT_EQ(c.x(), 40);
}

TEST(Text, UpperBytesIndexTheUpperHalf) {
    probe_canvas c = canvas_at(40, 40, 0, 20);
    c << text(static_cast<char>(213));
    expect_cell(c.surface(), 0, 7, 213);
}

TEST(Text, BlendsThePenColourAndKeepsTheTopByte) {
    probe_canvas c = canvas_at(20, 20, 0, 13);
    easel_test::fill(c.surface(), 0xFF0000);
    easel_test::set_pixel(c.surface(), 4, 4, 0xAB00FF00);  // the tip of the A, with its top byte set
    c << color(255, 255, 255) << text("A");
    EXPECT_EQ(pixel_at(c.surface(), 0, 0), 0xFF0000u);    // intensity 0
    EXPECT_EQ(pixel_at(c.surface(), 3, 5), 0xFFFFFFu);    // intensity 15
    EXPECT_EQ(pixel_at(c.surface(), 4, 4), 0xABFFFFFFu);  // top byte kept
}

TEST(Text, OnTheWindowToo) {
    ASSERT_TRUE(gout.open(60, 40));
    gout << move_to(2, 20) << text('x') << refresh;
    expect_cell(SDL_GetVideoSurface(), 2, 7, 'x');
}

TEST(Text, Metrics) {
    const canvas unopened;
    EXPECT_EQ(unopened.cascent(), 13);
    EXPECT_EQ(unopened.cdescent(), 4);
    EXPECT_EQ(unopened.twidth(""), 0);
    EXPECT_EQ(unopened.twidth("abc"), 24);
    EXPECT_EQ(unopened.twidth("ab\ncdef\n"), 32);
    EXPECT_EQ(unopened.twidth("\n"), 0);
    EXPECT_EQ(unopened.twidth(std::string("\0\t", 2)), 16);
    EXPECT_EQ(unopened.twidth(std::string(268435455, 'x')), 2147483640);
    EXPECT_EQ(unopened.twidth(std::string(268435456, 'x')), 2147483647);
}

namespace {

void expect_same_drawing(const std::string& a, const std::string& b, bool b_as_latin2 = false) {
    probe_canvas one = canvas_at(800, 60, 0, 20), other = canvas_at(800, 60, 0, 20);
    one << text(a);
    if (b_as_latin2)
        other << latin2(b);
    else
        other << text(b);
    EXPECT_EQ(lit_pixels(one.surface()), lit_pixels(other.surface())) << a;
    EXPECT_EQ(one.x(), other.x()) << a;
    EXPECT_EQ(one.y(), other.y()) << a;
}

}  // namespace

TEST(Utf8Text, DrawsAndMeasuresLikeItsLatin2Bytes) {
    std::string upper_half;
    for (int code = 161; code < 256; ++code) upper_half += static_cast<char>(code);
    std::string upper_utf8;
    ASSERT_TRUE(easel_test::iconv_convert("ISO-8859-2", "UTF-8", upper_half, upper_utf8));
    const std::pair<std::string, std::string> same[] = {
        {"Árvíztűrő tükörfúrógép\nÁRVÍZTŰRŐ",
         "\xC1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p\n\xC1RV\xCDZT\xDBR\xD5"},
        {upper_utf8, upper_half},
    };
    for (const auto& [utf8, bytes] : same) {
        expect_same_drawing(utf8, bytes);
        EXPECT_EQ(canvas().twidth(utf8), canvas().twidth(bytes));
    }
    EXPECT_EQ(canvas().twidth(upper_utf8), 8 * 95);
}

TEST(Utf8Text, ACharacterTheFontLacksTakesOneBoxedCell) {
    const std::string s = "a€😀ж\n”";  // three, four, two and three bytes
    probe_canvas c = canvas_at(100, 60, 0, 20);
    c << text(s);
    expect_cell(c.surface(), 0, 7, 'a');
    for (int cell = 1; cell < 4; ++cell) expect_face(c.surface(), 8 * cell, 7, glyphs::replacement_face);
    expect_face(c.surface(), 0, 24, glyphs::replacement_face);
    EXPECT_EQ(c.x(), 8);
    EXPECT_EQ(c.y(), 37);
    EXPECT_EQ(c.twidth(s), 32);
}

TEST(Utf8Text, MalformedUtf8IsReadByteByByte) {
    // A lone lead byte, an overlong '/', an encoded surrogate, a code point past U+10FFFF, and a
    // good character followed by a cut one.
    for (const std::string s : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3\xA9\xC3"}) {
        expect_same_drawing(s, s, true);
        EXPECT_EQ(canvas().twidth(s), 8 * static_cast<int>(s.size()));
    }
}

TEST(Utf8Text, Latin2DrawsBytesThatAreAlsoUtf8AsThemselves) {
    const std::string dol = "D\xD3\xA3";  // the capitals DÓŁ in ISO-8859-2
    expect_same_drawing("DÓŁ", dol, true);
    probe_canvas c = canvas_at(100, 40, 0, 20);
    c << text(dol);  // read as UTF-8: D and a character the font lacks
    expect_face(c.surface(), 8, 7, glyphs::replacement_face);
    EXPECT_EQ(c.x(), 16);
    EXPECT_EQ(c.twidth(dol), 16);
}

// Every character of Windows-1250, typed as a key and appended with keytext, draws its own glyph
// where ISO-8859-2 has it and the replacement where it does not.
TEST(TypedText, EveryWindows1250CharacterShowsItsGlyphOrTheReplacement) {
    ASSERT_TRUE(gout.open(100, 100));
    std::string typed;
    std::vector<face> expected;
    for (int byte = 128; byte < 256; ++byte) {
        const char32_t c = easel_test::character_of_byte("CP1250", byte);
        if (c == 0) continue;
        SDL_Event press = {};
        press.type = SDL_KEYDOWN;
        press.key.state = SDL_PRESSED;
        press.key.keysym.unicode = static_cast<Uint16>(c);
        ASSERT_EQ(SDL_PushEvent(&press), 0);
        event ev;
        gin >> ev;
        typed += keytext(ev.keycode);
        std::string code;
        const bool shared = easel_test::iconv_convert("CP1250", "ISO-8859-2", std::string(1, static_cast<char>(byte)), code);
        expected.push_back(shared ? glyphs::charfaces[static_cast<unsigned char>(code[0])] : glyphs::replacement_face);
    }
    const int width = 8 * static_cast<int>(expected.size());
    probe_canvas c = canvas_at(width, 40, 0, 20);
    c << text(typed);
    for (std::size_t i = 0; i < expected.size(); ++i) expect_face(c.surface(), 8 * static_cast<int>(i), 7, expected[i]);
    EXPECT_EQ(c.twidth(typed), width);
}

TEST(TypedText, KeysThatAreNotTextGiveNothing) {
    for (const int code : {0, -'a', -245, +key_backspace, +key_tab, +key_enter, +key_escape, 127, 0x81, 0xD800,
                           +key_up, +key_f1, key_f15 + 1})
        EXPECT_EQ(keytext(code), "") << code;
    EXPECT_EQ(keytext('a'), "a");
    EXPECT_EQ(keytext(0x0416), "Ж");  // outside the code page: the character's own value
}

TEST(TypedText, EraseLastCharRemovesAWholeCharacter) {
    std::string s = "aő";
    erase_last_char(s);
    EXPECT_EQ(s, "a");
    erase_last_char(s);
    erase_last_char(s);
    EXPECT_EQ(s, "");
    std::string bytes = "a\xF5\xA9";  // ISO-8859-2 bytes: each is a character
    erase_last_char(bytes);
    EXPECT_EQ(bytes, "a\xF5");
}
