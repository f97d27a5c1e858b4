// The relative triangle: drawn from the centre, where open leaves the pen, in the first pen colour, white.
#include "program_replays.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;

// Base (80, 100)-(120, 100), right side up to the apex (100, 80), left side back down to where the base began.
TEST(RelativeTriangle, ShowsTheTriangleAndKeepsItUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, easel::model::relative_triangle());
}

TEST(RelativeTriangle, OutlineHas81PixelsAndClosesWhereTheBaseBegan) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    // 41 in the base, 21 in each side, the three corners shared.
    EXPECT_EQ(std::count(outcome.shown.pixels.begin(), outcome.shown.pixels.end(), white), 41 + 21 + 21 - 3);
    for (const point corner : {point{80, 100}, point{120, 100}, point{100, 80}})
        EXPECT_EQ(outcome.shown.at(corner.x, corner.y), white) << corner.x << ", " << corner.y;
    EXPECT_EQ(outcome.shown.at(100, 79), black);
}

}  // namespace
