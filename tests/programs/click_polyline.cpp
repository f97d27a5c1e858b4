// click_polyline: the first left press puts a white dot, every later one a white line from the
// previous press point; nothing else draws.
#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

namespace {

using easel::image::picture;
using easel::model::pen_picture;
using easel::model::same_picture;
using easel::testing::replay_session;

// Everything that must not draw: motion, releases, other buttons, wheel steps and keys.
const char* const ignored_events =
    "move 20 20\n"
    "release left 25 25\n"
    "click right 10 190\nclick middle 190 10\nclick wheelup 5 5\nclick wheeldown 6 6\n"
    "key a\nkey Up\n";

// The polyline through the given press points; the first one only moves the pen.
pen_picture polyline(std::initializer_list<std::pair<int, int>> points) {
    pen_picture expected(200, 200);
    bool started = false;
    for (const auto& [x, y] : points) {
        if (started) {
            expected.line_to(x, y);
        } else {
            expected.move_to(x, y);
            started = true;
        }
        expected.dot();
    }
    return expected;
}

TEST(ClickPolyline, OnlyLeftPressesDrawAndTheFirstIsADotWhereItFell) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(std::string(ignored_events) + "snap none.png\n" +
                                    "click left 30 40\nsnap first.png\n" + ignored_events + "snap still.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("none.png"), picture(200, 200)));
    const picture first_dot = polyline({{30, 40}}).picture();
    EXPECT_TRUE(same_picture(session.snapshot("first.png"), first_dot));
    EXPECT_TRUE(same_picture(session.snapshot("still.png"), first_dot));
}

// A drag adds only its press point; a press on the last point adds nothing; keys do not restart
// the polyline.
TEST(ClickPolyline, EachLaterPressJoinsThePreviousPoint) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(
        "click left 30 40\n"
        "press left 150 60\nmove 170 170\nrelease left 170 170\n"
        "click left 150 60\n"
        "key Escape\nkey space\n"
        "click left 60 180\nclick left 199 0\nclick left 0 199\n"
        "snap polyline.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("polyline.png"),
                             polyline({{30, 40}, {150, 60}, {60, 180}, {199, 0}, {0, 199}}).picture()));
}

TEST(ClickPolyline, ClosingTheWindowEndsWithStatusZeroEvenBeforeAnyClick) {
    const replay_session session(EASEL_PROGRAM);
    EXPECT_EQ(session.run("close\n").status, 0);
    EXPECT_EQ(session.run(std::string(ignored_events) + "click left 1 2\nclick left 3 4\n").status, 0);
}

}  // namespace
