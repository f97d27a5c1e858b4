// The pictures the still programs draw, and the glow of mouse_glow, built on the reference model. The
// program tests compare easel-replay's snapshots with them, the end-to-end checks real screenshots.
#pragma once

#include "reference_model.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace easel::model {

inline constexpr int window_size = 200;

inline image::picture window_of(std::uint32_t (*colour_at)(int x, int y)) {
    image::picture pic(window_size, window_size);
    for (int y = 0; y < window_size; ++y)
        for (int x = 0; x < window_size; ++x) pic.at(x, y) = colour_at(x, y);
    return pic;
}

// 5 x 5 squares of black and grey 250, black in the top-left corner.
inline image::picture checkerboard() {
    return window_of([](int x, int y) { return grey((x / 5 + y / 5) % 2 * 250); });
}

// Grey level x + y, of which the colour keeps only the low 8 bits.
inline image::picture diagonal_gradient() {
    return window_of([](int x, int y) { return grey(x + y); });
}

// The row of the sine wave's dot in column x: truncated, not rounded.
inline int sine_row(int x) { return static_cast<int>(std::sin(x / 10.0) * 15.0 + 100.0); }

inline image::picture sine_wave() {
    pen_picture pen(window_size, window_size);
    for (int x = 0; x < window_size; ++x) {
        pen.move_to(x, sine_row(x));
        pen.dot();
    }
    return pen.picture();
}

// The blue square that the triangle programs draw first: box(180, 180) from (10, 10).
inline const std::uint32_t square_blue = rgb(0, 0, 200);

inline pen_picture blue_square() {
    pen_picture pen(window_size, window_size);
    pen.move_to(10, 10);
    pen.set_colour(square_blue);
    pen.box(180, 180);
    return pen;
}

// The outline around `apex_x - 20 .. apex_x + 20` on row 100 with its apex 20 rows up.
inline void triangle(pen_picture& pen, int apex_x) {
    pen.path({{apex_x - 20, 100}, {apex_x + 20, 100}, {apex_x, 80}, {apex_x - 20, 100}});
}

inline image::picture relative_triangle() {
    pen_picture pen(window_size, window_size);
    triangle(pen, 100);
    return pen.picture();
}

inline image::picture triangle_on_square() {
    pen_picture pen = blue_square();
    pen.set_colour(rgb(255, 255, 255));
    triangle(pen, 100);
    return pen.picture();
}

// Sixty outlines, each one pixel further left and 4 grey levels lighter; later ones cover earlier ones.
inline image::picture shaded_triangles() {
    pen_picture pen = blue_square();
    for (int k = 0; k < 60; ++k) {
        pen.set_colour(grey(4 * k));
        triangle(pen, 130 - k);
    }
    return pen.picture();
}

// The point at a whole number of degrees: 3.1415 for pi, degree 0 at the bottom, truncated toward zero.
inline point circle_point(point centre, int radius, int degrees) {
    const double angle = degrees / 180.0 * 3.1415;
    return {static_cast<int>(centre.x + radius * std::sin(angle)), static_cast<int>(centre.y + radius * std::cos(angle))};
}

// Ten circles of 360 chords each around the centre, radius 0 to 90.
inline pen_picture concentric_rings() {
    pen_picture pen(window_size, window_size);
    for (int ring = 0; ring < 10; ++ring)
        for (int degree = 0; degree < 360; ++degree)
            pen.path({circle_point({100, 100}, 10 * ring, degree), circle_point({100, 100}, 10 * ring, degree + 1)});
    return pen;
}

// mouse_glow's diamond around (px, py): 255 under the pointer, 2 levels darker per pixel of |dx| + |dy|.
inline image::picture glow_at(int px, int py) {
    image::picture glow(window_size, window_size);
    for (int y = 0; y < window_size; ++y)
        for (int x = 0; x < window_size; ++x)
            glow.at(x, y) = grey(std::max(0, 255 - 2 * (std::abs(x - px) + std::abs(y - py))));
    return glow;
}

}  // namespace easel::model
