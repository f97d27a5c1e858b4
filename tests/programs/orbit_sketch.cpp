// orbit_sketch: the circling dot of the timer's clock, and mouse sketching in the colour of the
// moment, sharing one pen and one colour.
#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

namespace {

using easel::image::picture;
using easel::model::cycle_colour;
using easel::model::orbit_point;
using easel::model::orbit_screen;
using easel::model::pen_picture;
using easel::model::rgb;
using easel::model::same_picture;
using easel::testing::replay_session;

const std::uint32_t white = 0xffffff;

// The circling dot's screen, with the mouse sketching on it.
class sketch_screen : public orbit_screen {
public:
    // A mouse event at (x, y), or a key event with x = y = 0.
    void event(int x, int y) {
        plot();
        if (x == last_x_ && y == last_y_) return;
        if (last_x_ == no_position) {
            screen_.move_to(x, y);
        } else {
            screen_.move_to(last_x_, last_y_);
        }
        last_x_ = x;
        last_y_ = y;
        screen_.line_to(x, y);
        screen_.move_to(x, y);
    }

private:
    static constexpr int no_position = -1;
    int last_x_ = no_position;
    int last_y_ = 100;
};

// The first dot is white; the first mouse event is a single pixel, the second a segment, both in
// the phase 0 colour that the second dot takes too.
TEST(OrbitSketch, FirstEventsDrawAPixelThenASegment) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 20 30\nsnap first.png\nmove 60 50\nsnap second.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const std::uint32_t phase_zero = rgb(128, 239, 18);
    picture first(200, 200);
    first.at(100, 170) = white;
    first.at(20, 30) = phase_zero;
    EXPECT_TRUE(same_picture(session.snapshot("first.png"), first));
    pen_picture second(200, 200);
    second.set_colour(phase_zero);
    second.move_to(100, 170);
    second.dot();
    second.move_to(20, 30);
    second.line_to(60, 50);
    EXPECT_TRUE(same_picture(session.snapshot("second.png"), second.picture()));
}

// The dot moves the pen to the circle between mouse events; each segment still starts where the
// last one ended, in the colour of the latest tick.
TEST(OrbitSketch, SegmentsJoinMousePositionsWhileTheDotCircles) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(
        "move 20 30\nwait 50\nmove 60 50\nwait 1200\nclick left 150 40\nwait 445\nmove 90 190\nsnap sketch.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    sketch_screen expected;
    expected.event(20, 30);
    expected.wait(50);
    expected.event(60, 50);
    expected.wait(1200);
    expected.event(150, 40);
    expected.event(150, 40);
    expected.wait(445);
    expected.event(90, 190);
    EXPECT_TRUE(same_picture(session.snapshot("sketch.png"), expected.shown()));
}

// An event where the mouse already was draws no line but replots the dot, now in its own phase's
// colour instead of the one before.
TEST(OrbitSketch, EventAtTheSameMousePositionOnlyReplotsTheDot) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("wait 100\nmove 40 40\nwait 30\nsnap ticked.png\npress left 40 40\nsnap pressed.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    sketch_screen expected;
    expected.wait(100);
    expected.event(40, 40);
    expected.wait(30);
    const auto [x, y] = orbit_point(13);
    const picture ticked = session.snapshot("ticked.png");
    EXPECT_TRUE(same_picture(ticked, expected.shown()));
    EXPECT_EQ(ticked.at(x, y), cycle_colour(12));
    expected.event(40, 40);
    const picture pressed = session.snapshot("pressed.png");
    EXPECT_TRUE(same_picture(pressed, expected.shown()));
    EXPECT_EQ(pressed.at(x, y), cycle_colour(13));
}

// Key records carry (0, 0): a key draws a segment to the corner, the next mouse event one back.
TEST(OrbitSketch, KeyPressDrawsToTheCornerAndTheNextMouseEventBack) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 50 60\nwait 20\nkey a\nwait 20\nkey Up\nmove 120 80\nsnap corner.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    sketch_screen expected;
    expected.event(50, 60);
    expected.wait(20);
    expected.event(0, 0);
    expected.wait(20);
    expected.event(0, 0);  // Up's press and release
    expected.event(0, 0);
    expected.event(120, 80);
    EXPECT_TRUE(same_picture(session.snapshot("corner.png"), expected.shown()));
}

// Escape is an ordinary key here: the snapshot after it needs the program still running.
TEST(OrbitSketch, OnlyClosingTheWindowEndsItWithStatusZero) {
    const replay_session session(EASEL_PROGRAM);
    EXPECT_EQ(session.run("close\n").status, 0);
    EXPECT_EQ(session.run("wait 100\n").status, 0);
    const auto result = session.run("wait 30\nkey Escape\nsnap after.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    sketch_screen expected;
    expected.wait(30);
    expected.event(0, 0);
    EXPECT_TRUE(same_picture(session.snapshot("after.png"), expected.shown()));
}

}  // namespace
