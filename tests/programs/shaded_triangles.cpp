// The shaded triangles: sixty outlines on the blue square, each one pixel further left and 4 grey levels lighter.
#include "program_replays.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;
using easel::model::square_blue;

TEST(ShadedTriangles, ShowsAllSixtyOutlinesAndKeepsThemUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, easel::model::shaded_triangles());
}

TEST(ShadedTriangles, OutlinesMergeIntoAShadedTrapezoid) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    const auto& shown = outcome.shown;
    const auto is_grey = [](std::uint32_t pixel) { return pixel == grey(pixel & 0xff) && (pixel & 0xff) <= 236; };

    // Top edge (71, 80)-(130, 80), bottom edge (51, 100)-(150, 100), no gaps in between.
    for (int y = 80; y <= 100; ++y) {
        const int left = 71 - (y - 80);
        const int right = 130 + (y - 80);
        EXPECT_EQ(shown.at(left - 1, y), square_blue) << "left of row " << y;
        EXPECT_EQ(shown.at(right + 1, y), square_blue) << "right of row " << y;
        for (int x = left; x <= right; ++x) EXPECT_TRUE(is_grey(shown.at(x, y))) << x << ", " << y;
    }
    // The bases: 236 up to x = 91, then 4 darker per pixel down to black at x = 150.
    for (int x = 51; x <= 150; ++x) EXPECT_EQ(shown.at(x, 100), grey(x <= 91 ? 236 : 236 - 4 * (x - 91))) << x;
    EXPECT_EQ(shown.at(130, 80), black);  // the first apex, never covered
    EXPECT_EQ(shown.at(71, 80), grey(236));
}

}  // namespace
