// The one BMP encoder: a 24-bit bottom-up BMP of width x height pixels, each 0x00RRGGBB, taken from
// any source through pixel(x, y). Header only and free of libpng, so that the browser build's save
// uses it as the image module does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace easel::image {

template <typename PixelAt>
std::vector<unsigned char> bmp_bytes(int width, int height, PixelAt pixel) {
    constexpr std::size_t file_header_size = 14;
    constexpr std::size_t info_header_size = 40;
    constexpr std::size_t pixel_offset = file_header_size + info_header_size;
    const std::size_t row_bytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<unsigned char> data(pixel_offset + row_bytes * static_cast<std::size_t>(height), 0);
    const auto put = [&data](std::size_t offset, std::uint32_t value, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) data[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    data[0] = 'B';
    data[1] = 'M';
    put(2, static_cast<std::uint32_t>(data.size()), 4);
    put(10, static_cast<std::uint32_t>(pixel_offset), 4);
    put(14, info_header_size, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);   // planes
    put(28, 24, 2);  // bits per pixel
    for (int y = 0; y < height; ++y) {
        const std::size_t row = pixel_offset + row_bytes * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) put(row + static_cast<std::size_t>(x) * 3, pixel(x, y), 3);
    }
    return data;
}

}  // namespace easel::image
