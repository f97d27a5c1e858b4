// The tests' one model of what a screen should look like, worked out independently of the library: a
// picture with a pen that follows the library's drawing rules (edges refuse moves, lines stop at the
// edge, boxes whose far corner lies outside are not drawn), the colour wave of the timer programs, and
// a comparison that names the first pixels that differ. The program tests use it directly and the
// end-to-end checks through the reference_picture tool.
#pragma once

#include "image.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <initializer_list>
#include <string>
#include <utility>

namespace easel::model {

inline std::uint32_t rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r & 0xff) << 16 | static_cast<std::uint32_t>(g & 0xff) << 8 |
           static_cast<std::uint32_t>(b & 0xff);
}

inline std::uint32_t grey(int level) { return rgb(level, level, level); }

// One step of the colour cycle: 3.1415, not pi, so 256 steps fall just short of a full turn.
inline int wave(int n) { return static_cast<int>(std::sin(n * 3.1415 / 128) * 128 + 128); }

// The cycling colour for a phase: the same wave, a third of a cycle apart per channel.
inline std::uint32_t cycle_colour(int phase) {
    return rgb(wave(phase % 256), wave((phase + 85) % 256), wave((phase + 170) % 256));
}

struct point {
    int x;
    int y;
};

inline std::ostream& operator<<(std::ostream& out, point p) { return out << "(" << p.x << ", " << p.y << ")"; }

// Where the circling dot stands at a phase (clock time in 10 ms units): radius 70 around (100, 100),
// phase 0 at the bottom.
inline point orbit_point(int phase) {
    const double angle = phase / 43.0;
    return {static_cast<int>(std::sin(angle) * 70 + 100), static_cast<int>(std::cos(angle) * 70 + 100)};
}

// A black picture with the pen at its centre, drawing white until told otherwise.
class pen_picture {
public:
    pen_picture(int width, int height) : pen_picture(image::picture(width, height)) {}
    // Drawing over a picture that is already there, the pen at its centre.
    explicit pen_picture(image::picture start)
        : picture_(std::move(start)), pen_x_(picture_.width / 2), pen_y_(picture_.height / 2) {}

    const image::picture& picture() const { return picture_; }
    int pen_x() const { return pen_x_; }
    int pen_y() const { return pen_y_; }

    void set_colour(std::uint32_t colour) { colour_ = colour; }
    void color(int r, int g, int b) { set_colour(rgb(r, g, b)); }

    bool move(int dx, int dy) {
        const int x = pen_x_ + dx;
        const int y = pen_y_ + dy;
        if (x < 0 || x >= picture_.width || y < 0 || y >= picture_.height) return false;
        pen_x_ = x;
        pen_y_ = y;
        return true;
    }
    bool move_to(int x, int y) { return move(x - pen_x_, y - pen_y_); }

    void dot() { picture_.at(pen_x_, pen_y_) = colour_; }

    // The k-th point lies k main steps and floor(k * shifts / steps) side steps from the start.
    void line(int dx, int dy) {
        const int x_dir = dx > 0 ? 1 : -1;
        const int y_dir = dy > 0 ? 1 : -1;
        const bool x_major = std::abs(dx) >= std::abs(dy);
        const int steps = x_major ? std::abs(dx) : std::abs(dy);
        const int shifts = x_major ? std::abs(dy) : std::abs(dx);
        dot();
        for (int k = 1, side_before = 0; k <= steps; ++k) {
            const int side = k * shifts / steps;
            const int diagonal = side - side_before;
            side_before = side;
            const bool inside = x_major ? move(x_dir, diagonal * y_dir) : move(diagonal * x_dir, y_dir);
            if (!inside) return;
            dot();
        }
    }
    void line_to(int x, int y) { line(x - pen_x_, y - pen_y_); }
    void move_to(point p) { move_to(p.x, p.y); }
    void line_to(point p) { line_to(p.x, p.y); }

    // A polyline: the pen moves to the first corner, then draws to each next one.
    void path(std::initializer_list<point> corners) {
        move_to(*corners.begin());
        for (auto corner = corners.begin() + 1; corner != corners.end(); ++corner) line_to(*corner);
    }

    void box(int dx, int dy) {
        const int x0 = pen_x_;
        const int y0 = pen_y_;
        if (!move(dx, dy)) return;
        for (int y = std::min(y0, pen_y_); y <= std::max(y0, pen_y_); ++y)
            for (int x = std::min(x0, pen_x_); x <= std::max(x0, pen_x_); ++x) picture_.at(x, y) = colour_;
    }

private:
    image::picture picture_;
    int pen_x_;
    int pen_y_;
    std::uint32_t colour_ = 0xffffff;
};

inline std::string hex_colour(std::uint32_t pixel) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06x", static_cast<unsigned>(pixel));
    return text;
}

// EXPECT_TRUE(same_picture(shown, expected)) reports how many pixels differ and where the first ones are.
inline ::testing::AssertionResult same_picture(const image::picture& actual, const image::picture& expected) {
    const image::comparison result = image::compare(actual, expected);
    if (!result.same_size)
        return ::testing::AssertionFailure() << "picture is " << actual.width << "x" << actual.height << ", expected "
                                             << expected.width << "x" << expected.height;
    if (result.differing == 0) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << result.differing << " pixel(s) differ:";
    for (const image::pixel_difference& d : result.first)
        failure << " (" << d.x << ", " << d.y << ") is " << hex_colour(d.actual) << " not " << hex_colour(d.expected)
                << ";";
    return failure;
}

// The screen of the programs with the circling dot: every 10 ms tick sets the phase, and every
// event plots the dot for the latest phase in the colour the event before it set, then sets the
// colour of that phase.
class orbit_screen {
public:
    const image::picture& shown() const { return screen_.picture(); }

    // The ticks that fall due while the clock advances, each with its due time.
    void wait(int ms) {
        clock_ += ms;
        for (; next_tick_ <= clock_; next_tick_ += 10) {
            phase_ = next_tick_ / 10;
            plot();
        }
    }

    // Any event that is not a tick.
    void event() { plot(); }

protected:
    void plot() {
        const auto [x, y] = orbit_point(phase_);
        screen_.move_to(x, y);
        screen_.dot();
        screen_.set_colour(cycle_colour(phase_));
    }

    pen_picture screen_{200, 200};

private:
    int clock_ = 0;
    int next_tick_ = 10;
    int phase_ = 0;
};

}  // namespace easel::model
