// The sine wave: one white dot per column at row trunc(sin(x / 10) * 15 + 100).
#include "program_replays.hpp"

#include <algorithm>

namespace {

using namespace easel::testing;

// The rows of the white pixels of each column, as shown.
std::vector<std::vector<int>> white_rows(const easel::image::picture& shown) {
    std::vector<std::vector<int>> columns(static_cast<std::size_t>(shown.width));
    for (int x = 0; x < shown.width; ++x)
        for (int y = 0; y < shown.height; ++y)
            if (shown.at(x, y) == white) columns[static_cast<std::size_t>(x)].push_back(y);
    return columns;
}

TEST(SineWave, ShowsTheWholeWaveAndKeepsItUntilClosed) {
    expect_still_picture(EASEL_PROGRAM, easel::model::sine_wave());
}

TEST(SineWave, OneDotPerColumnBetweenRows85And114) {
    const replay_outcome outcome = replay_and_snap(EASEL_PROGRAM, "");
    ASSERT_EQ(outcome.result.status, 0) << outcome.result.errors;
    const auto columns = white_rows(outcome.shown);

    std::vector<int> rows;
    for (std::size_t x = 0; x < columns.size(); ++x) {
        ASSERT_EQ(columns[x].size(), 1u) << "column " << x;
        rows.push_back(columns[x].front());
    }
    // Sample columns; 114 at x = 16 is 114.99... truncated, not rounded.
    for (const point p : {point{0, 100}, point{5, 107}, point{10, 112}, point{16, 114}, point{31, 100},
                          point{47, 85}, point{63, 100}, point{199, 113}})
        EXPECT_EQ(rows[static_cast<std::size_t>(p.x)], p.y) << "column " << p.x;
    EXPECT_EQ(*std::min_element(rows.begin(), rows.end()), 85);
    EXPECT_EQ(*std::max_element(rows.begin(), rows.end()), 114);

    int gaps = 0;
    for (std::size_t x = 1; x < rows.size(); ++x) {
        const int jump = std::abs(rows[x] - rows[x - 1]);
        EXPECT_LE(jump, 2) << "columns " << x - 1 << " and " << x;
        gaps += jump == 2 ? 1 : 0;
    }
    EXPECT_EQ(gaps, 36);
}

}  // namespace
