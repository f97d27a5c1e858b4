// Click dots: every press of the left button puts one white pixel where the pen moves to.
#include "program_replays.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;

// The picture a user builds with left presses: a dot at each press point.
class dots {
public:
    void left_press(point at) {
        const point p = window_position(at);
        picture_.at(p.x, p.y) = white;
    }
    const easel::image::picture& picture() const { return picture_; }

private:
    easel::image::picture picture_ = black_window();
};

long white_pixels(const easel::image::picture& shown) {
    return std::count(shown.pixels.begin(), shown.pixels.end(), white);
}

TEST(ClickDots, EveryLeftPressIsShownAtOnce) {
    expect_each_left_click_shown(EASEL_PROGRAM, {{30, 40}, {0, 0}, {199, 199}, {100, 100}, {199, 0}}, dots());
}

TEST(ClickDots, RepeatedPressesOnOneSpotLeaveOneDot) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "click left 30 40\nclick left 30 40\n");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    EXPECT_EQ(outcome.shown.at(30, 40), white);
    EXPECT_EQ(white_pixels(outcome.shown), 1);
}

TEST(ClickDots, DraggingLeavesOnlyThePressPoint) {
    const replay_outcome outcome =
        replay_and_snap(EASEL_PROGRAM, "press left 30 30\nmove 60 60\nmove 90 90\nrelease left 90 90\n");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    EXPECT_EQ(outcome.shown.at(30, 30), white);
    EXPECT_EQ(white_pixels(outcome.shown), 1);
}

// Anything drawn for this input would show with the refresh of the next left press.
TEST(ClickDots, OtherButtonsWheelMotionAndKeysNeverDraw) {
    const std::string& other = input_without_left_presses;
    const replay_session session(EASEL_PROGRAM);
    const replay_result result = session.run(other + "snap before.png\n" + left_click({10, 10}) + other +
                                             left_click({20, 20}) + other + "snap after.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("before.png"), black_window()));
    dots expected;
    expected.left_press({10, 10});
    expected.left_press({20, 20});
    EXPECT_TRUE(same_picture(session.snapshot("after.png"), expected.picture()));
}

TEST(ClickDots, APressOutsideTheWindowCountsAtTheNearestEdge) {
    expect_each_left_click_shown(EASEL_PROGRAM, {{250, 50}, {-5, -7}, {100, 300}}, dots());
}

TEST(ClickDots, ClosingTheWindowEndsWithStatusZero) {
    EXPECT_EQ(replay_session(EASEL_PROGRAM).run("close\n").status, 0) << "before any press";
    EXPECT_EQ(replay_session(EASEL_PROGRAM).run("click left 30 40\nmove 50 50\nclose\n").status, 0);
    EXPECT_EQ(replay_session(EASEL_PROGRAM).run("click left 30 40\n").status, 0) << "at the end of the script";
}

}  // namespace
