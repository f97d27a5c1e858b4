// Expected pictures for the program tests, worked out from the library's drawing rules rather than taken
// from a program, and the replays that every still picture goes through.
#pragma once

#include "image.hpp"
#include "replay_session.hpp"
#include "screen_model.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace easel::testing {

inline constexpr int window_size = 200;
inline constexpr std::uint32_t black = 0x000000;
inline constexpr std::uint32_t white = 0xffffff;

using model::grey;
using model::point;
using model::rgb;
using model::same_picture;

inline image::picture black_window() { return image::picture(window_size, window_size, black); }

// The blue square that the triangle programs draw first: box(180, 180) from (10, 10), both corners
// filled, 181 x 181 pixels.
inline const std::uint32_t square_blue = rgb(0, 0, 200);

inline image::picture blue_square_window() {
    image::picture pic = black_window();
    for (int x = 10; x <= 190; ++x)
        for (int y = 10; y <= 190; ++y) pic.at(x, y) = square_blue;
    return pic;
}

inline int direction(int component) { return component > 0 ? 1 : -1; }

// Paints the line from `from` to `to` the way the library's pen draws it: the k-th point is
// from + k main steps + floor(k * shifts / steps) side steps, both ends included.
inline void paint_line(image::picture& pic, point from, point to, std::uint32_t colour) {
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const int steps = x_major ? std::abs(dx) : std::abs(dy);
    const int shifts = x_major ? std::abs(dy) : std::abs(dx);
    for (int k = 0; k <= steps; ++k) {
        const int side = steps == 0 ? 0 : k * shifts / steps;
        const point p = x_major ? point{from.x + k * direction(dx), from.y + side * direction(dy)}
                                : point{from.x + side * direction(dx), from.y + k * direction(dy)};
        pic.at(p.x, p.y) = colour;
    }
}

// Where the library reports a mouse position: one outside the window counts at the nearest edge.
inline point window_position(point raw) {
    const auto into_window = [](int v) { return v < 0 ? 0 : v >= window_size ? window_size - 1 : v; };
    return {into_window(raw.x), into_window(raw.y)};
}

// Lines from corner to corner, in order, each drawn over the one before.
inline void paint_path(image::picture& pic, const std::vector<point>& corners, std::uint32_t colour) {
    for (std::size_t i = 0; i + 1 < corners.size(); ++i) paint_line(pic, corners[i], corners[i + 1], colour);
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
