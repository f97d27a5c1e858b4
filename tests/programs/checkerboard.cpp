// The checkerboard: 5 x 5 squares of black and grey 250, black in the top-left corner.
#include "program_replays.hpp"

namespace {

using namespace easel::testing;

TEST(Checkerboard, ShowsTheWholeBoardAndKeepsItUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, easel::model::checkerboard());
}

TEST(Checkerboard, SquaresChangeEveryFivePixelsStartingBlack) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    for (const point p : {point{0, 0}, point{4, 4}, point{5, 5}, point{199, 199}})
        EXPECT_EQ(outcome.shown.at(p.x, p.y), black) << p.x << ", " << p.y;
    // The light squares are grey 250, not white.
    for (const point p : {point{5, 0}, point{0, 5}, point{199, 0}, point{0, 199}})
        EXPECT_EQ(outcome.shown.at(p.x, p.y), 0xfafafau) << p.x << ", " << p.y;
}

}  // namespace
