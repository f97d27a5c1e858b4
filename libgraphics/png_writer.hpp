// A PNG encoder of the library's own, with no dependency: 8-bit RGB, the image data in stored
// (uncompressed) deflate blocks. It hands its bytes to a sink, so the same encoder serves a file,
// a download in a page, or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace easel::png {

// Takes the next count bytes of the file; false stops the encoding, which then reports failure.
using sink = std::function<bool(const unsigned char* bytes, std::size_t count)>;

// A picture as rows of 0x00RRGGBB pixels from the top; row y starts at first + y * stride.
struct rgb_rows {
    const std::uint32_t* first;
    int width;
    int height;
    std::ptrdiff_t stride;
};

// Writes the whole file to out; false when the picture is empty or the sink refused.
bool encode(const rgb_rows& picture, const sink& out);

}  // namespace easel::png
