// Text drawn with the built-in font: placement, line breaks, edges, blending and measuring.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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

bool inked(unsigned char code, int col, int row) { return ((glyphs::charfaces[code][row] >> (4 * col)) & 15u) != 0; }

// Checks that the cell with its top-left pixel at (left, top) shows exactly the glyph of code,
// drawn in white on black.
void expect_cell(SDL_Surface* s, int left, int top, unsigned char code) {
    for (int row = 0; row < 17; ++row)
        for (int col = 0; col < 8; ++col)
            ASSERT_EQ(pixel_at(s, left + col, top + row), inked(code, col, row) ? white : 0u)
                << "code " << int(code) << " column " << col << " row " << row;
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
            EXPECT_EQ(pixel_at(c.surface(), 796 + col, 37 + row), inked('M', col, row) ? white : 0u);
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
