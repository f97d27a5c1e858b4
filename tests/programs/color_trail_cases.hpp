// The cases color_trail and color_trail_b share: a line follows every event's position from the
// centre, each segment in the colour of the latest tick's time (phase 0 before the first tick).
// Each test file includes them once and runs them on its own EASEL_PROGRAM.
#pragma once

#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

namespace {

using easel::image::picture;
using easel::model::cycle_colour;
using easel::model::pen_picture;
using easel::model::rgb;
using easel::model::same_picture;
using easel::testing::replay_session;

// One segment of the trail: drawn to (x, y) while the latest tick carried `phase`.
struct segment {
    int phase;
    int x;
    int y;
};

picture trail(std::initializer_list<segment> segments) {
    pen_picture expected(200, 200);
    for (const segment& s : segments) {
        expected.set_colour(cycle_colour(s.phase));
        expected.line_to(s.x, s.y);
    }
    return expected.picture();
}

class ColorTrail : public ::testing::Test {
protected:
    const replay_session session{EASEL_PROGRAM};
};

// The white set at start-up never shows: every segment is drawn after a colour for a phase.
TEST_F(ColorTrail, BeforeTheFirstTickSegmentsHaveThePhaseZeroColour) {
    const auto result = session.run("move 150 100\nsnap drawn.png\nwait 300\nsnap ticked.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const picture drawn = session.snapshot("drawn.png");
    EXPECT_TRUE(same_picture(drawn, trail({{0, 150, 100}})));
    EXPECT_EQ(drawn.at(150, 100), rgb(128, 239, 18));
    EXPECT_TRUE(same_picture(session.snapshot("ticked.png"), drawn)) << "ticks alone changed the picture";
}

// A first report at the centre, and a press and release where the trail ends, draw nothing and
// show nothing.
TEST_F(ColorTrail, EventsWhereTheTrailEndsDrawNothing) {
    const auto result = session.run(
        "move 100 100\nclick left 100 100\nsnap centre.png\n"
        "move 40 130\nwait 10\nclick right 40 130\nmove 40 130\nsnap repeated.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("centre.png"), picture(200, 200)));
    EXPECT_TRUE(same_picture(session.snapshot("repeated.png"), trail({{0, 40, 130}})));
}

// Only the tick's time counts, modulo 256 ms: 1000 and 5000 give colours far apart in the cycle.
TEST_F(ColorTrail, SegmentsTakeTheColourOfTheLatestTicksTime) {
    const auto result = session.run(
        "wait 1000\nmove 120 30\nsnap at1000.png\n"
        "wait 4005\nmove 20 60\nsnap at5000.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const picture at1000 = session.snapshot("at1000.png");
    EXPECT_TRUE(same_picture(at1000, trail({{1000, 120, 30}})));
    EXPECT_EQ(at1000.at(120, 30), rgb(56, 255, 73));
    const picture at5000 = session.snapshot("at5000.png");
    EXPECT_TRUE(same_picture(at5000, trail({{1000, 120, 30}, {5000, 20, 60}})));
    EXPECT_EQ(at5000.at(20, 60), rgb(103, 31, 248));
}

// Buttons and wheel steps count as motion to their position; keys carry (0, 0), and a key's
// release (Up has one) adds nothing after its press.
TEST_F(ColorTrail, ButtonsAndKeysExtendTheTrailByTheirPositions) {
    const auto result = session.run(
        "move 50 60\nwait 20\nkey a\nwait 30\nkey Up\nmove 120 80\n"
        "wait 70\nclick left 40 160\nwait 110\nclick wheeldown 180 20\npress middle 181 22\n"
        "snap trail.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("trail.png"),
                             trail({{0, 50, 60}, {20, 0, 0}, {50, 120, 80}, {120, 40, 160}, {230, 180, 20},
                                    {230, 181, 22}})));
}

// Escape is an ordinary key here: the snapshot after it needs the program still running.
TEST_F(ColorTrail, OnlyClosingTheWindowEndsItWithStatusZero) {
    EXPECT_EQ(session.run("close\n").status, 0);
    EXPECT_EQ(session.run("wait 50\nclose\n").status, 0);
    const auto result = session.run("move 10 10\nkey Escape\nsnap after.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("after.png"), trail({{0, 10, 10}, {0, 0, 0}})));
}

}  // namespace
