// mouse_trail: a white line from the last position drawn to the position of every event that moved.
#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

namespace {

using easel::model::pen_picture;
using easel::model::same_picture;
using easel::testing::replay_session;

const std::uint32_t white = 0xffffff;

// The trail through the given points, starting at the centre.
pen_picture trail(std::initializer_list<std::pair<int, int>> points) {
    pen_picture expected(200, 200);
    for (const auto& [x, y] : points) expected.line_to(x, y);
    return expected;
}

TEST(MouseTrail, FirstEventAtTheCentreDrawsNothing) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 100 100\nclick left 100 100\nsnap still.png\nmove 100 101\nsnap moved.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("still.png"), pen_picture(200, 200).picture()));
    EXPECT_TRUE(same_picture(session.snapshot("moved.png"), trail({{100, 101}}).picture()));
}

// Buttons and wheel steps take part by their position alone; repeats at one position add nothing.
TEST(MouseTrail, EveryMouseEventThatMovesExtendsTheTrail) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(
        "move 150 120\nmove 150 120\nclick left 150 120\n"
        "click right 30 170\n"
        "press middle 60 20\nmove 60 20\nrelease middle 60 20\n"
        "click wheelup 190 45\nclick wheeldown 7 100\n"
        "snap trail.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("trail.png"),
                             trail({{150, 120}, {30, 170}, {60, 20}, {190, 45}, {7, 100}}).picture()));
}

// Key events carry (0, 0): a press draws to the corner, its release (Up has one) adds nothing.
TEST(MouseTrail, KeyPressDrawsToTheCornerAndTheNextMoveBack) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 50 60\nkey a\nsnap corner.png\nkey Up\nmove 120 80\nsnap back.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const pen_picture to_corner = trail({{50, 60}, {0, 0}});
    EXPECT_TRUE(same_picture(session.snapshot("corner.png"), to_corner.picture()));
    EXPECT_EQ(to_corner.picture().at(0, 0), white);
    EXPECT_TRUE(same_picture(session.snapshot("back.png"), trail({{50, 60}, {0, 0}, {120, 80}}).picture()));
}

// Motion is reported up to one past the last column; the program gets the last column instead,
// so the trail reaches the edge at the row of the pointer and goes on from there.
TEST(MouseTrail, MotionPastTheEdgeArrivesOnTheEdge) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 200 140\nmove 100 30\nsnap edge.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("edge.png"), trail({{199, 140}, {100, 30}}).picture()));
}

// Escape is an ordinary key here: the snapshot after it needs the program still running.
TEST(MouseTrail, OnlyClosingTheWindowEndsItWithStatusZero) {
    const replay_session session(EASEL_PROGRAM);
    EXPECT_EQ(session.run("close\n").status, 0);
    const auto result = session.run("move 10 10\nkey Escape\nmove 20 30\nsnap after.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("after.png"), trail({{10, 10}, {0, 0}, {20, 30}}).picture()));
}

}  // namespace
