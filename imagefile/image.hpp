// Pictures as 0x00RRGGBB pixels, read from and written to PNG and BMP files, and compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace easel::image {

// The largest picture read or compared: 4096 x 4096 pixels (64 MB as pixels), no side over 32767 (the
// largest window the library opens). A file claiming more is refused before anything is allocated.
inline constexpr long max_pixels = 4096L * 4096;
inline constexpr int max_side = 32767;
bool within_limits(long width, long height);

struct picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // row by row from the top, each 0x00RRGGBB

    picture() = default;
    picture(int w, int h, std::uint32_t fill = 0);

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct image_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads a PNG or a BMP (24 or 32 bits per pixel) file, told apart by its content; alpha is dropped.
// Throws image_error naming the file: unreadable, not a picture, or larger than the limits above.
picture read_image(const std::string& path);

// Writes a BMP when the name ends in ".bmp" (any case), a PNG otherwise. Throws image_error.
void write_image(const picture& pic, const std::string& path);

bool has_bmp_extension(const std::string& path);
bool has_png_extension(const std::string& path);

struct pixel_difference {
    int x;
    int y;
    std::uint32_t actual;
    std::uint32_t expected;
};

struct region {
    int x;
    int y;
    int width;
    int height;
};

struct comparison_rules {
    int tolerance = 0;             // a pixel matches when no channel differs by more
    std::optional<region> area;    // only this rectangle of both pictures; all of them when empty
    std::size_t examples = 5;      // how many differing pixels to keep
};

struct comparison {
    bool same_size = true;                // false when the sizes differ, or the area does not lie in both
    long differing = 0;                   // every pixel compared when same_size is false
    std::vector<pixel_difference> first;  // at most rules.examples, in reading order
};

comparison compare(const picture& actual, const picture& expected, const comparison_rules& rules);
comparison compare(const picture& actual, const picture& expected, std::size_t examples = 5);

// The differences to look at: as large as both pictures together; pixels that differ (or lie in one
// picture only) red, the others dimmed grey copies of the actual picture; outside the area, darker still.
picture difference_picture(const picture& actual, const picture& expected, const comparison_rules& rules);

}  // namespace easel::image
