// The triangle on the blue square: box(180, 180) from (10, 10), then the white outline around the centre.
#include "program_replays.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;
using easel::model::square_blue;

TEST(TriangleOnSquare, ShowsTheTriangleOnTheSquareAndKeepsItUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, easel::model::triangle_on_square());
}

TEST(TriangleOnSquare, SquareIsInsetBy10AtTheTopLeftAnd9AtTheBottomRight) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    const auto& shown = outcome.shown;
    EXPECT_EQ(shown.at(10, 10), square_blue);
    EXPECT_EQ(shown.at(190, 190), square_blue);
    EXPECT_EQ(shown.at(9, 10), black);
    EXPECT_EQ(shown.at(10, 9), black);
    EXPECT_EQ(shown.at(191, 190), black);
    EXPECT_EQ(shown.at(190, 191), black);
    EXPECT_EQ(std::count(shown.pixels.begin(), shown.pixels.end(), square_blue), 181 * 181 - (41 + 21 + 21 - 3));
}

}  // namespace
