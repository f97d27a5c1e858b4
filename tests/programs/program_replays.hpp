// The replays that the program tests share, with the expected pictures of the reference model.
#pragma once

#include "image.hpp"
#include "program_pictures.hpp"
#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace easel::testing {

using model::window_size;
inline constexpr std::uint32_t black = 0x000000;
inline constexpr std::uint32_t white = 0xffffff;

using model::grey;
using model::pen_picture;
using model::point;
using model::rgb;
using model::same_picture;

inline image::picture black_window() { return image::picture(window_size, window_size, black); }

// Where the library reports a mouse position: one outside the window counts at the nearest edge.
inline point window_position(point raw) {
    const auto into_window = [](int v) { return v < 0 ? 0 : v >= window_size ? window_size - 1 : v; };
    return {into_window(raw.x), into_window(raw.y)};
}

inline std::string left_click(point at) {
    return "click left " + std::to_string(at.x) + " " + std::to_string(at.y) + "\n";
}

// Replays left clicks with a snap after each, and compares every snap with what `expected` (a drawing
// with left_press(point) and picture()) holds after the clicks so far: each click is shown at once.
template <typename Drawing>
void expect_each_left_click_shown(const std::string& program, const std::vector<point>& clicks, Drawing expected) {
    const replay_session session(program);
    std::string script;
    for (std::size_t i = 0; i < clicks.size(); ++i)
        script += left_click(clicks[i]) + "snap " + std::to_string(i) + ".png\n";
    const replay_result result = session.run(script);
    ASSERT_EQ(result.status, 0) << result.errors;
    for (std::size_t i = 0; i < clicks.size(); ++i) {
        expected.left_press(clicks[i]);
        EXPECT_TRUE(same_picture(session.snapshot(std::to_string(i) + ".png"), expected.picture()))
            << "after click " << i << " at " << clicks[i];
    }
}

// What a program showed at the end of a script, and how easel-replay ended.
struct replay_outcome {
    replay_result result;
    image::picture shown;
};

inline replay_outcome replay_and_snap(const std::string& program, const std::string& script) {
    const replay_session session(program);
    replay_outcome outcome{session.run(script + "snap shown.png\n"), {}};
    if (outcome.result.status == 0) outcome.shown = session.snapshot("shown.png");
    return outcome;
}

// Every kind of input a user can give: moves, presses and releases of every button, drags, the wheel, keys.
inline const std::string every_kind_of_input = R"(move 10 10
click left 20 30
press left 40 40
move 60 60
release left 60 60
click middle 5 5
click right 150 150
click wheelup 100 100
click wheeldown 100 100
move 0 0
move 199 199
key a
key Escape
key Up
key F1
type "ő"
)";

// Input with no left press in it: a left release, the other buttons, the wheel, motion and keys.
inline const std::string input_without_left_presses = R"(release left 180 20
press right 50 50
release right 50 50
click middle 60 60
click wheelup 80 80
click wheeldown 90 90
move 110 110
key a
key Up
key Escape
)";

// A program that draws one picture and then only waits for its window to close: the picture is on the
// screen before any input, input leaves it as it is, and closing the window ends the program with 0.
inline void expect_still_picture(const std::string& program, const image::picture& expected) {
    const replay_outcome first = replay_and_snap(program, "");
    ASSERT_EQ(first.result.status, 0) << first.result.errors;
    EXPECT_TRUE(same_picture(first.shown, expected)) << "before any input";

    const replay_outcome later = replay_and_snap(program, every_kind_of_input);
    ASSERT_EQ(later.result.status, 0) << later.result.errors;
    EXPECT_TRUE(same_picture(later.shown, expected)) << "after every kind of input";

    EXPECT_EQ(replay_session(program).run(every_kind_of_input + "close\n").status, 0) << "closed after input";
    EXPECT_EQ(replay_session(program).run("close\n").status, 0) << "closed before any input";
}

}  // namespace easel::testing
