// Drawing commands streamed into a canvas.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "surface_probe.hpp"

using namespace easel;
using easel_test::lit_pixels;
using easel_test::point;
using easel_test::screen_pixel;

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        // The one window outlives each test: open it anew and give the pen its first colour back.
        ASSERT_TRUE(gout.open(200, 200));
        gout.set_color(255, 255, 255);
        screen = SDL_GetVideoSurface();
    }
    SDL_Surface* screen = nullptr;
};

std::vector<point> row_of(int from, int to, int y) {
    std::vector<point> points;
    for (int x = from; x <= to; ++x) points.emplace_back(x, y);
    return points;
}

}  // namespace

TEST_F(Commands, LineFromMoveTo) {
    gout << move_to(50, 50) << line(10, 0) << refresh;
    EXPECT_EQ(lit_pixels(screen), row_of(50, 60, 50));
    EXPECT_EQ(gout.x(), 60);
    EXPECT_EQ(gout.y(), 50);
}

TEST_F(Commands, LineToThePenIsOnePixel) {
    gout << move_to(50, 50) << line_to(50, 50);
    EXPECT_EQ(lit_pixels(screen), (std::vector<point>{{50, 50}}));
}

TEST_F(Commands, MoveToOutsideKeepsThePen) {
    gout << move_to(30, 40) << move_to(500, 500) << move_to(0, 200) << move_to(2147483648u, 0);
    EXPECT_EQ(gout.x(), 30);
    EXPECT_EQ(gout.y(), 40);
    gout << move_to(0xFFFFFFFFu, 0xFFFFFFFFu) << move_to(199, 0);
    EXPECT_EQ(gout.x(), 199);
    EXPECT_EQ(gout.y(), 0);
}

TEST_F(Commands, BoxAndBoxTo) {
    gout << move_to(10, 10) << box(3, 3);
    EXPECT_EQ(lit_pixels(screen).size(), 16u);
    EXPECT_EQ(screen_pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(screen_pixel(13, 13), 0xFFFFFFu);
    EXPECT_EQ(gout.x(), 13);
    gout << color(0, 0, 9) << box_to(11, 11);
    EXPECT_EQ(screen_pixel(11, 11), 9u);
    EXPECT_EQ(screen_pixel(13, 13), 9u);
    EXPECT_EQ(screen_pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(gout.x(), 11);
    gout << box_to(2147483648u, 2147483648u) << box_to(200, 5);
    EXPECT_EQ(gout.x(), 11);
}

TEST_F(Commands, DotUsesTheColourAndShowsAfterRefresh) {
    gout << color(255, 0, 0) << dot;
    EXPECT_EQ(screen_pixel(100, 100), 0xFF0000u);
    gout << refresh;
    EXPECT_EQ(screen_pixel(100, 100), 0xFF0000u);
}

TEST_F(Commands, ChainsApplyLeftToRight) {
    gout << move(5, 0) << move(-5, 0);
    EXPECT_EQ(gout.x(), 100);
    gout << color(1, 1, 1) << dot << move(1, 0) << color(2, 2, 2) << dot;
    EXPECT_EQ(screen_pixel(100, 100), 0x010101u);
    EXPECT_EQ(screen_pixel(101, 100), 0x020202u);
}

TEST_F(Commands, AbsoluteCommandsMeasureFromThePenWhenApplied) {
    const line_to to_corner(0, 0);  // made while the pen is at (100, 100)
    gout << move_to(3, 0) << to_corner;
    EXPECT_EQ(lit_pixels(screen), row_of(0, 3, 0));
}

TEST_F(Commands, ExtremeArgumentsAreRefusedOrClipped) {
    gout << move_to(3, 3) << line_to(2147483648u, 3);  // far to the left
    EXPECT_EQ(lit_pixels(screen), row_of(0, 3, 3));
    EXPECT_EQ(gout.x(), 0);
    gout << move(INT_MAX, 0) << move(INT_MIN, INT_MIN) << line(INT_MIN, 0) << box(INT_MIN, INT_MIN);
    EXPECT_EQ(gout.x(), 0);
    EXPECT_EQ(gout.y(), 3);
    // Targets at (-1, -1) and (-1, 7): the lines run along column 0 until their first step out.
    gout << line_to(0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(gout.y(), 0);
    gout << line_to(0xFFFFFFFFu, 7);
    EXPECT_EQ(gout.y(), 6);
    EXPECT_EQ(lit_pixels(screen).size(), 4u + 6u);
}

TEST_F(Commands, FunctionsTakingACanvasStreamToo) {
    void (*cross)(canvas&) = [](canvas& out) { out << line(2, 0) << move(-1, -1) << line(0, 2); };
    gout << move_to(20, 20) << cross;
    EXPECT_EQ(lit_pixels(screen).size(), 5u);
    EXPECT_EQ(screen_pixel(21, 19), 0xFFFFFFu);
}

TEST_F(Commands, FloatingArgumentsAreTruncatedOrRefused) {
    const double nan = std::nan(""), inf = HUGE_VAL;
    gout << move_to(10.9, 20.2);
    EXPECT_EQ(gout.x(), 10);
    EXPECT_EQ(gout.y(), 20);
    gout << move_to(-0.9f, 5.0L);  // truncated to 0
    EXPECT_EQ(gout.x(), 0);
    gout << move_to(30, 30) << move_to(-3.7, 20.0) << move(nan, 0) << move_to(inf, 0) << box(2.5e9, 1);
    EXPECT_EQ(gout.x(), 30);
    EXPECT_EQ(gout.y(), 30);
    // Lines toward no int target are refused whole: nothing drawn, the pen kept.
    gout << line(1e10, 0) << line_to(-inf, 30) << line(nan, 1) << box_to(-1e300, 0);
    EXPECT_TRUE(lit_pixels(screen).empty());
    gout << line_to(32.99, 30.5);
    EXPECT_EQ(lit_pixels(screen), row_of(30, 32, 30));
    easel_test::probe_canvas sprite(4, 4);
    sprite << box(-2, -2);
    gout << stamp(sprite, 1e10, 0) << stamp(sprite, 0, 0, nan, -1, 0, 0);
    EXPECT_EQ(lit_pixels(screen).size(), 3u);
}

TEST_F(Commands, FloatingColourComponentsCountModulo256) {
    gout << color(-1.5, 300.9, 65.2f) << dot;
    EXPECT_EQ(screen_pixel(100, 100), 0xFF2C41u);
    gout << color(std::nan(""), 1e300 + 255, -HUGE_VAL) << dot;
    EXPECT_EQ(screen_pixel(100, 100), 0u);
    gout << color(4294967296.0 * 3 + 513.5, -257.0, 255) << dot;
    EXPECT_EQ(screen_pixel(100, 100), 0x01FFFFu);
    gout << color(4294967296.0L * 5 + 258.9L, -1.0f, 1e30f) << dot;  // long double wraps as itself
    EXPECT_EQ(screen_pixel(100, 100), 0x02FF00u);
}
