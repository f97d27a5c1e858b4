// Rings and clicks: ten circles of 360 chords each, then a polyline through the left presses.
#include "program_replays.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;

// The polyline a user builds on the rings: the first left press puts a dot, each later one draws a line
// from the press before.
class polyline {
public:
    void left_press(point at) {
        const point p = window_position(at);
        if (started_)
            pen_.line_to(p);
        else
            pen_.move_to(p);
        pen_.dot();
        started_ = true;
    }
    const easel::image::picture& picture() const { return pen_.picture(); }

private:
    pen_picture pen_ = easel::model::concentric_rings();
    bool started_ = false;
};

void expect_polyline_after_each_press(const std::vector<point>& presses) {
    expect_each_left_click_shown(EASEL_PROGRAM, presses, polyline());
}

TEST(RingsAndClicks, ShowsTheTenCirclesBeforeAnyInput) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    EXPECT_TRUE(same_picture(outcome.shown, easel::model::concentric_rings().picture()));

    // Radius 10: degrees 0, 1, 90, 180 and 270. Truncation, and a sine just below 1, keep the right at 109.
    for (const point p : {point{100, 110}, point{100, 109}, point{109, 100}, point{100, 90}, point{90, 99}})
        EXPECT_EQ(outcome.shown.at(p.x, p.y), white) << p;
    EXPECT_EQ(outcome.shown.at(110, 100), black);

    // Radius 0 is the one pixel at the centre; the largest circle spans x 10..189 and y 10..190.
    for (int x = 97; x <= 103; ++x)
        for (int y = 97; y <= 103; ++y)
            EXPECT_EQ(outcome.shown.at(x, y), x == 100 && y == 100 ? white : black) << x << ", " << y;
    int left = window_size, right = -1, top = window_size, bottom = -1;
    for (int x = 0; x < window_size; ++x)
        for (int y = 0; y < window_size; ++y)
            if (outcome.shown.at(x, y) == white) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_EQ(left, 10);
    EXPECT_EQ(right, 189);
    EXPECT_EQ(top, 10);
    EXPECT_EQ(bottom, 190);
}

TEST(RingsAndClicks, LeftPressesAreJoinedFromPressToPress) {
    // The first press only places a dot: no line from the centre or from the last chord.
    expect_polyline_after_each_press({{150, 30}, {30, 170}, {190, 195}, {150, 30}, {0, 0}});
}

TEST(RingsAndClicks, TwoPressesOnOneSpotLeaveOneDot) {
    expect_polyline_after_each_press({{150, 30}, {150, 30}, {20, 20}});
}

TEST(RingsAndClicks, PressesOutsideTheWindowCountAtTheNearestEdge) {
    expect_polyline_after_each_press({{250, 100}, {150, 30}, {-20, 300}});
}

// Anything drawn for this input would show with the refresh of the next left press.
TEST(RingsAndClicks, ReleasesOtherButtonsWheelMotionAndKeysNeitherDrawNorStartThePolyline) {
    const std::string& other = input_without_left_presses;
    const replay_session session(EASEL_PROGRAM);
    const replay_result result = session.run(other + "snap untouched.png\n" + left_click({150, 30}) + other +
                                             "snap first.png\n" + left_click({20, 180}) + other + "snap second.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    polyline expected;
    EXPECT_TRUE(same_picture(session.snapshot("untouched.png"), expected.picture()));
    expected.left_press({150, 30});
    EXPECT_TRUE(same_picture(session.snapshot("first.png"), expected.picture()));
    expected.left_press({20, 180});
    EXPECT_TRUE(same_picture(session.snapshot("second.png"), expected.picture()));
}

TEST(RingsAndClicks, ClosingTheWindowEndsWithStatusZero) {
    EXPECT_EQ(replay_session(EASEL_PROGRAM).run("close\n").status, 0) << "before any press";
    EXPECT_EQ(replay_session(EASEL_PROGRAM).run(left_click({150, 30}) + left_click({30, 170}) + "close\n").status, 0);
}

}  // namespace
