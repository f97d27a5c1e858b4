// mouse_glow: every event at a new position repaints the window with a grey diamond around it,
// 255 under the pointer and 2 levels darker per pixel of distance |dx| + |dy|.
#include "replay_session.hpp"
#include "program_pictures.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using easel::image::picture;
using easel::model::glow_at;
using easel::model::grey;
using easel::model::same_picture;
using easel::testing::replay_session;

TEST(MouseGlow, FirstEventAtTheCentreLeavesTheWindowBlack) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 100 100\nclick left 100 100\nsnap black.png\nmove 100 101\nsnap glow.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("black.png"), picture(200, 200)));
    EXPECT_TRUE(same_picture(session.snapshot("glow.png"), glow_at(100, 101)));
}

TEST(MouseGlow, GlowAroundTheCentreFallsTwoLevelsPerPixel) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("move 30 40\nmove 100 100\nsnap centre.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const picture shown = session.snapshot("centre.png");
    EXPECT_TRUE(same_picture(shown, glow_at(100, 100)));
    EXPECT_EQ(shown.at(100, 100), grey(255));
    EXPECT_EQ(shown.at(101, 100), grey(253));
    EXPECT_EQ(shown.at(150, 150), grey(55));
    EXPECT_EQ(shown.at(163, 100), grey(129));
    EXPECT_EQ(shown.at(0, 0), grey(0));
    EXPECT_EQ(shown.at(150, 177), grey(1));  // distance 127
    EXPECT_EQ(shown.at(150, 178), grey(0));  // distance 128
}

// Nothing of an earlier glow survives a repaint; buttons and wheel steps count by their position,
// keys by the (0, 0) their records carry.
TEST(MouseGlow, EveryNewPositionRepaintsTheWholeWindow) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(
        "move 20 20\nclick wheelup 180 170\nsnap wheel.png\n"
        "key a\nsnap key.png\n"
        "press right 60 150\nrelease right 60 150\nsnap button.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("wheel.png"), glow_at(180, 170)));
    const picture corner = session.snapshot("key.png");
    EXPECT_TRUE(same_picture(corner, glow_at(0, 0)));
    EXPECT_EQ(corner.at(199, 199), grey(0));
    EXPECT_TRUE(same_picture(session.snapshot("button.png"), glow_at(60, 150)));
}

// Escape is an ordinary key here: the snapshot after it needs the program still running.
TEST(MouseGlow, OnlyClosingTheWindowEndsItWithStatusZero) {
    const replay_session session(EASEL_PROGRAM);
    EXPECT_EQ(session.run("close\n").status, 0);
    const auto result = session.run("move 10 10\nkey Escape\nsnap after.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("after.png"), glow_at(0, 0)));
}

}  // namespace
