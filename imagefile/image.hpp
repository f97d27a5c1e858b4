// Pictures as 0x00RRGGBB pixels, read from and written to PNG and BMP files.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace easel::image {

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
// Throws image_error naming the file.
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

struct comparison {
    bool same_size = true;
    long differing = 0;                   // every pixel when the sizes differ
    std::vector<pixel_difference> first;  // at most the limit given, in reading order
};

comparison compare(const picture& actual, const picture& expected, std::size_t examples = 5);

}  // namespace easel::image
