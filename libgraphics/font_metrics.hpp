// The built-in font's cell, shared by the library, its font generator and the font sheet. Private.
#pragma once

namespace easel::font {

constexpr int cell_width = 8;
constexpr int cell_height = 17;
// Rows of a cell on and below the baseline row, and above it.
constexpr int descent = 4;
constexpr int ascent = cell_height - descent;

}  // namespace easel::font
