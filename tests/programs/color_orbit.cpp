// color_orbit: every event plots the circling dot for the latest tick's phase in the colour the
// event before it set, shows it, and sets the colour for that phase.
#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

namespace {

using easel::image::picture;
using easel::model::cycle_colour;
using easel::model::orbit_screen;
using easel::model::rgb;
using easel::model::same_picture;
using easel::testing::replay_session;

const std::uint32_t white = 0xffffff;

TEST(ColorOrbit, FirstDotIsWhiteAtTheBottomAndTheNextOneTakesThePhaseZeroColour) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 5 5\nsnap first.png\nclick left 60 60\nsnap second.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    picture first(200, 200);
    first.at(100, 170) = white;
    EXPECT_TRUE(same_picture(session.snapshot("first.png"), first));
    picture second(200, 200);
    second.at(100, 170) = rgb(128, 239, 18);
    EXPECT_TRUE(same_picture(session.snapshot("second.png"), second));
}

// A tick plots in the colour of the phase before it; the colour of its own phase shows when the
// next event plots the same point again.
TEST(ColorOrbit, TicksGrowTheRingOneColourBehind) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(
        "wait 1234\nsnap at1234.png\nmove 1 1\nsnap replotted1234.png\n"
        "wait 3766\nkey a\nsnap at5000.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    orbit_screen expected;

    expected.wait(1234);
    const picture at1234 = session.snapshot("at1234.png");
    EXPECT_TRUE(same_picture(at1234, expected.shown()));
    EXPECT_EQ(at1234.at(119, 32), cycle_colour(122));

    expected.event();
    const picture replotted = session.snapshot("replotted1234.png");
    EXPECT_TRUE(same_picture(replotted, expected.shown()));
    EXPECT_EQ(replotted.at(119, 32), rgb(143, 9, 228));

    expected.wait(3766);
    expected.event();
    const picture at5000 = session.snapshot("at5000.png");
    EXPECT_TRUE(same_picture(at5000, expected.shown()));
    EXPECT_EQ(at5000.at(43, 141), rgb(90, 252, 42));
}

// Mouse and key events add no positions: they replot the latest tick's point.
TEST(ColorOrbit, MouseAndKeyEventsOnlyReplotTheCurrentPoint) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(
        "move 10 10\nwait 505\nmove 150 150\nclick right 50 50\nkey Up\nclick wheelup 3 3\nwait 20\nmove 9 9\n"
        "snap ring.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    orbit_screen expected;
    expected.event();
    expected.wait(505);
    for (int i = 0; i < 7; ++i) expected.event();  // a motion, then a press and a release of each
    expected.wait(20);
    expected.event();
    EXPECT_TRUE(same_picture(session.snapshot("ring.png"), expected.shown()));
}

// Escape is an ordinary key here: the snapshot after it needs the program still running.
TEST(ColorOrbit, OnlyClosingTheWindowEndsItWithStatusZero) {
    const replay_session session(EASEL_PROGRAM);
    EXPECT_EQ(session.run("close\n").status, 0);
    EXPECT_EQ(session.run("wait 100\n").status, 0);
    const auto result = session.run("wait 30\nkey Escape\nwait 10\nsnap after.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    orbit_screen expected;
    expected.wait(30);
    expected.event();
    expected.wait(10);
    EXPECT_TRUE(same_picture(session.snapshot("after.png"), expected.shown()));
}

}  // namespace
