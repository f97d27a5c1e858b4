// The pen and the drawing primitives of a canvas, on the window.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <climits>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "reference_model.hpp"
#include "surface_probe.hpp"

using namespace easel;
using easel_test::lit_pixels;
using easel_test::point;
using easel_test::screen_pixel;

namespace {

// The one window outlives each test: every test opens it anew, with the pen's first colour, white.
SDL_Surface* open_window(unsigned w = 200, unsigned h = 200) {
    EXPECT_TRUE(gout.open(w, h));
    gout.set_color(255, 255, 255);
    return SDL_GetVideoSurface();
}

void put_pen(int x, int y) { ASSERT_TRUE(gout.move_point(x - gout.x(), y - gout.y())); }

image::picture picture_of(SDL_Surface* s) {
    image::picture shown(s->w, s->h);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) shown.at(x, y) = easel_test::pixel_at(s, x, y);
    return shown;
}

bool lock_fails = false;

}  // namespace

// The library's calls of SDL_LockSurface land here, so that a test can make them fail.
int SDL_LockSurface(SDL_Surface* s) {
    if (lock_fails) return -1;
    static const auto sdl_lock = reinterpret_cast<int (*)(SDL_Surface*)>(dlsym(RTLD_NEXT, "SDL_LockSurface"));
    return sdl_lock(s);
}

TEST(Window, OpensBlackWithPenCentredAndWhite) {
    SDL_Surface* screen = open_window(201, 101);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 201);
    EXPECT_EQ(screen->format->BitsPerPixel, 32);
    EXPECT_EQ(gout.x(), 100);
    EXPECT_EQ(gout.y(), 50);
    // Also with a perturbed allocator (the suite runs with MALLOC_PERTURB_), and on a second open.
    EXPECT_TRUE(lit_pixels(screen).empty());
    gout.draw_dot();
    EXPECT_EQ(screen_pixel(100, 50), 0xFFFFFFu);
    screen = open_window(50, 50);
    EXPECT_TRUE(lit_pixels(screen).empty());
    EXPECT_EQ(gout.x(), 25);
}

TEST(Window, ReopenKeepsColour) {
    open_window();
    gout.set_color(1, 2, 3);
    ASSERT_TRUE(gout.open(100, 100));
    gout.draw_dot();
    EXPECT_EQ(screen_pixel(50, 50), 0x010203u);
}

TEST(Window, RefusesSizesItCannotAddress) {
    EXPECT_TRUE(gout.open(16383, 2));  // the widest row SDL can address
    EXPECT_FALSE(gout.open(16384, 100));
    EXPECT_FALSE(gout.open(20000, 100));
    EXPECT_FALSE(gout.open(0, 100));
    EXPECT_FALSE(gout.open(40000, 10));
    EXPECT_FALSE(gout.open(4294967295u, 4294967295u));
    EXPECT_FALSE(gout.move_point(0, 0));
}

TEST(Window, NothingHappensBeforeOpen_InFreshProcess) {
    if (!easel_test::in_fresh_process()) return;
    // No surface yet: every call is harmless and reports failure where it can.
    EXPECT_EQ(gout.x(), 0);
    EXPECT_EQ(gout.y(), 0);
    EXPECT_FALSE(gout.move_point(0, 0));
    gout.draw_dot();
    gout.draw_line(10, 10);
    gout.draw_box(5, 5);
    gout.draw_text("hi");
    gout.refresh();
    EXPECT_FALSE(gout.save("/tmp/easel-never-written.bmp"));
    gout << move_to(5, 5) << line_to(20, 20) << box_to(1, 1) << dot << refresh;
    EXPECT_EQ(gout.x(), 0);
}

TEST(Window, ACopyKeepsItsPenButDrawsNothingOffTheReopenedWindow) {
    open_window();
    easel_test::probe_canvas copy;
    static_cast<canvas&>(copy) = gout;  // shares the window's surface
    copy << move_to(150, 150);
    SDL_Surface* screen = open_window(50, 50);
    copy << dot << line(1, 1) << box(1, 1) << text("x") << move(-140, -140) << box(100, 100);
    EXPECT_TRUE(lit_pixels(screen).empty());
}

// Code written for any canvas, given the window: it reopens the window, and an assignment onto it
// takes nothing from the canvas assigned.
TEST(Window, StaysTheWindowThroughACanvasReference) {
    open_window();
    const auto reset = [](canvas& c) { return c.open(120, 80); };
    ASSERT_TRUE(reset(gout));
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_EQ(screen->w, 120);
    EXPECT_EQ(gout.x(), 60);
    easel_test::probe_canvas sprite(10, 10);
    sprite << color(0, 255, 0) << move_to(1, 1) << dot;
    canvas& window = gout;
    window = sprite;
    gout << color(0, 0, 255) << move_to(1, 1) << dot << move_to(100, 70) << dot;
    EXPECT_EQ(easel_test::pixel_at(sprite.surface(), 1, 1), 0x00FF00u);
    EXPECT_EQ(screen_pixel(1, 1), 0x0000FFu);
    EXPECT_EQ(screen_pixel(100, 70), 0x0000FFu);
    EXPECT_EQ(SDL_GetVideoSurface(), screen);
}

TEST(Colour, KeepsLowEightBitsOfEachComponent) {
    SDL_Surface* screen = open_window();
    gout.set_color(256, -1, 300);
    gout.draw_dot();
    EXPECT_EQ(easel_test::pixel_at(screen, 100, 100), 0x0000FF2Cu);
    gout.set_color(INT_MIN, INT_MAX, -256);
    gout.draw_dot();
    EXPECT_EQ(easel_test::pixel_at(screen, 100, 100), 0x00FF00u);
}

TEST(Pen, RefusedAtEveryEdge) {
    open_window();
    put_pen(0, 0);
    EXPECT_FALSE(gout.move_point(-1, 0));
    EXPECT_FALSE(gout.move_point(0, -1));
    EXPECT_FALSE(gout.move_point(200, 0));
    EXPECT_FALSE(gout.move_point(0, 200));
    EXPECT_TRUE(gout.move_point(199, 199));
    EXPECT_FALSE(gout.move_point(1, 0));
    EXPECT_FALSE(gout.move_point(0, 1));
    EXPECT_EQ(gout.x(), 199);
    EXPECT_EQ(gout.y(), 199);
}

TEST(Pen, ExtremeVectorsAreRefused) {
    open_window();
    put_pen(5, 5);
    for (const int v : {INT_MAX, INT_MIN, INT_MAX - 4, INT_MIN + 5}) {
        EXPECT_FALSE(gout.move_point(v, 0));
        EXPECT_FALSE(gout.move_point(0, v));
        EXPECT_FALSE(gout.move_point(v, v));
    }
    EXPECT_EQ(gout.x(), 5);
    EXPECT_EQ(gout.y(), 5);
}

TEST(Line, ShallowLineChangesRowOnlyAtItsLastPoint) {
    SDL_Surface* screen = open_window();
    put_pen(0, 0);
    gout.draw_line(10, 1);
    std::vector<point> expected;
    for (int x = 0; x < 10; ++x) expected.emplace_back(x, 0);
    expected.emplace_back(10, 1);
    EXPECT_EQ(lit_pixels(screen), expected);
    EXPECT_EQ(gout.x(), 10);
    EXPECT_EQ(gout.y(), 1);
}

TEST(Line, SteepLineChangesColumnOnlyAtItsLastPoint) {
    SDL_Surface* screen = open_window();
    put_pen(0, 0);
    gout.draw_line(1, 10);
    std::vector<point> expected;
    for (int y = 0; y < 10; ++y) expected.emplace_back(0, y);
    expected.emplace_back(1, 10);
    EXPECT_EQ(lit_pixels(screen), expected);
}

TEST(Line, PointsFollowTheFlooredSlope) {
    // The k-th point is start + k * main step + floor(k * shifts / steps) * side step.
    SDL_Surface* screen = open_window();
    put_pen(100, 100);
    gout.draw_line(-7, 3);
    for (int k = 0; k <= 7; ++k) EXPECT_EQ(easel_test::pixel_at(screen, 100 - k, 100 + k * 3 / 7), 0xFFFFFFu) << k;
    EXPECT_EQ(lit_pixels(screen).size(), 8u);
    EXPECT_EQ(gout.x(), 93);
    EXPECT_EQ(gout.y(), 103);
}

TEST(Line, EverySlopeStopsAtItsLastPointInside) {
    // From near each corner, lines that leave across either axis, or stay inside.
    SDL_Surface* screen = open_window();
    for (const model::point start : {model::point{3, 5}, {196, 194}, {190, 2}, {4, 197}})
        for (int dx = -230; dx <= 230; dx += 23)
            for (int dy = -230; dy <= 230; dy += 19) {
                easel_test::fill(screen, 0);
                put_pen(start.x, start.y);
                gout.draw_line(dx, dy);
                model::pen_picture expected(200, 200);
                expected.move_to(start);
                expected.line(dx, dy);
                ASSERT_TRUE(model::same_picture(picture_of(screen), expected.picture())) << dx << ", " << dy;
                ASSERT_EQ(gout.x(), expected.pen_x()) << dx << ", " << dy;
                ASSERT_EQ(gout.y(), expected.pen_y()) << dx << ", " << dy;
            }
}

TEST(Line, ZeroVectorAndDiagonal) {
    SDL_Surface* screen = open_window();
    put_pen(20, 20);
    gout.draw_line(0, 0);
    EXPECT_EQ(lit_pixels(screen), (std::vector<point>{{20, 20}}));
    gout.draw_line(5, 5);
    EXPECT_EQ(lit_pixels(screen).size(), 6u);
    EXPECT_EQ(screen_pixel(25, 25), 0xFFFFFFu);
    EXPECT_EQ(gout.x(), 25);
    EXPECT_EQ(gout.y(), 25);
}

TEST(Line, StopsAtTheEdgeWithThePenOnItsLastPoint) {
    SDL_Surface* screen = open_window();
    put_pen(190, 100);
    gout.draw_line(20, 0);
    std::vector<point> expected;
    for (int x = 190; x < 200; ++x) expected.emplace_back(x, 100);
    EXPECT_EQ(lit_pixels(screen), expected);
    EXPECT_EQ(gout.x(), 199);
    EXPECT_EQ(gout.y(), 100);
}

TEST(Line, ExtremeVectorsRunToTheEdge) {
    SDL_Surface* screen = open_window();
    put_pen(3, 7);
    gout.draw_line(INT_MIN, 0);
    EXPECT_EQ(lit_pixels(screen), (std::vector<point>{{0, 7}, {1, 7}, {2, 7}, {3, 7}}));
    EXPECT_EQ(gout.x(), 0);
    gout.draw_line(0, INT_MAX);
    EXPECT_EQ(gout.y(), 199);
    // y-major by one: the first step is straight up, then every step is diagonal.
    gout.draw_line(INT_MAX, INT_MIN);
    EXPECT_EQ(gout.x(), 198);
    EXPECT_EQ(gout.y(), 0);
}

TEST(Box, FillsBothCornersAndMovesThePenToTheFarOne) {
    SDL_Surface* screen = open_window();
    put_pen(10, 10);
    gout.draw_box(-2, 3);
    std::vector<point> expected;
    for (int y = 10; y <= 13; ++y)
        for (int x = 8; x <= 10; ++x) expected.emplace_back(x, y);
    EXPECT_EQ(lit_pixels(screen), expected);
    EXPECT_EQ(gout.x(), 8);
    EXPECT_EQ(gout.y(), 13);
}

TEST(Box, ZeroVectorFillsThePixelUnderThePen) {
    SDL_Surface* screen = open_window();
    put_pen(0, 199);
    gout.draw_box(0, 0);
    EXPECT_EQ(lit_pixels(screen), (std::vector<point>{{0, 199}}));
}

TEST(Box, FarCornerOutsideDrawsNothing) {
    SDL_Surface* screen = open_window();
    put_pen(190, 190);
    gout.draw_box(10, 0);
    gout.draw_box(INT_MIN, INT_MIN);
    gout.draw_box(INT_MAX, INT_MAX);
    EXPECT_TRUE(lit_pixels(screen).empty());
    EXPECT_EQ(gout.x(), 190);
    EXPECT_EQ(gout.y(), 190);
    gout.draw_box(9, 9);
    EXPECT_EQ(lit_pixels(screen).size(), 100u);
}

TEST(Save, WritesTheWindowAndRefusesAMissingDirectory) {
    open_window(30, 20);
    gout.set_color(10, 20, 30);
    gout.draw_box(-3, -3);
    const std::string path = ::testing::TempDir() + "easel-window.bmp";
    ASSERT_TRUE(gout.save(path));
    SDL_Surface* back = SDL_LoadBMP(path.c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->w, 30);
    EXPECT_EQ(back->h, 20);
    SDL_FreeSurface(back);
    std::remove(path.c_str());
    EXPECT_FALSE(gout.save("/nonexistent-easel-dir/x.bmp"));
    EXPECT_EQ(gout.x(), 12);
}

TEST(Lock, NothingIsDrawnWhenTheSurfaceCannotBeLocked) {
    easel_test::probe_canvas c(40, 40);
    c.surface()->offset = 1;  // SDL_MUSTLOCK holds, for canvases that take the surface from now on
    easel_test::probe_canvas locked = c;
    lock_fails = true;
    locked << dot << line(5, 5) << box(-3, 2) << text("x");
    lock_fails = false;
    c.surface()->offset = 0;
    EXPECT_TRUE(lit_pixels(c.surface()).empty());
}

TEST(Refresh, KeepsTheSurfaceAcrossFlips) {
    open_window();
    gout.draw_dot();
    gout.refresh();
    gout.refresh();
    EXPECT_EQ(screen_pixel(100, 100), 0xFFFFFFu);
}

TEST(Start, ExitsWithStatusOneAndSilentlyWhenSdlCannotStart) {
    // SDL refuses to start with a video driver that does not exist; the library then exits at
    // once, before main, printing nothing.
    const std::string command = "SDL_VIDEODRIVER=no-such-driver '" EASEL_TEST_PROGRAM "' 2>&1";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string printed;
    for (int ch; (ch = std::fgetc(out)) != EOF;) printed += static_cast<char>(ch);
    const int status = pclose(out);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(printed, "");
}

TEST(Start, ScreenAndInputServeGlobalsInitialisedBeforeTheLibrary) {
    EXPECT_EQ(std::system("'" EASEL_STATIC_INIT_PROGRAM "'"), 0);
}

TEST(Start, AProgramOfItsOwnDrawsExactlyItsLine) {
    const std::string path = ::testing::TempDir() + "easel-first-program.bmp";
    const std::string command = "'" EASEL_TEST_PROGRAM "' '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    SDL_Surface* saved = SDL_LoadBMP(path.c_str());
    ASSERT_NE(saved, nullptr);
    SDL_Surface* pixels = SDL_ConvertSurface(saved, open_window()->format, 0);  // as 32-bit words
    std::vector<point> expected;
    for (int x = 50; x <= 60; ++x) expected.emplace_back(x, 50);
    EXPECT_EQ(lit_pixels(pixels), expected);
    SDL_FreeSurface(pixels);
    SDL_FreeSurface(saved);
    std::remove(path.c_str());
}
