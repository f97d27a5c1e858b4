// The diagonal gradient: grey level x + y, of which the colour keeps only the low 8 bits.
#include "program_replays.hpp"

namespace {

using namespace easel::testing;

TEST(DiagonalGradient, ShowsTheWholeGradientAndKeepsItUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, easel::model::diagonal_gradient());
}

TEST(DiagonalGradient, LevelsWrapFromWhiteToBlackPast255) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    const auto& shown = outcome.shown;
    EXPECT_EQ(shown.at(0, 0), black);
    EXPECT_EQ(shown.at(199, 199), grey(142));
    EXPECT_EQ(shown.at(127, 128), white);
    EXPECT_EQ(shown.at(199, 56), white);
    EXPECT_EQ(shown.at(128, 128), black);
    EXPECT_EQ(shown.at(199, 57), black);
}

}  // namespace
