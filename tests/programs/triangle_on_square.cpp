// The triangle on the blue square: box(180, 180) from (10, 10), then the white outline around the centre.
#include "drawing_rules.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;

const std::uint32_t square_blue = rgb(0, 0, 200);

easel::image::picture triangle_on_square() {
    easel::image::picture pic = black_window();
    // Both corners of the box are filled: 181 x 181 pixels.
    for (int x = 10; x <= 190; ++x)
        for (int y = 10; y <= 190; ++y) pic.at(x, y) = square_blue;
    paint_path(pic, {{80, 100}, {120, 100}, {100, 80}, {80, 100}}, white);
    return pic;
}

TEST(TriangleOnSquare, ShowsTheTriangleOnTheSquareAndKeepsItUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, triangle_on_square());
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
