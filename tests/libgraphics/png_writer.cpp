// The library's own PNG encoder, read back by the image module (libpng).
#include "image.hpp"
#include "png_writer.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using easel::image::picture;

std::vector<unsigned char> encoded(const picture& pic, std::ptrdiff_t stride, const std::uint32_t* first) {
    std::vector<unsigned char> bytes;
    const bool done = easel::png::encode({first, pic.width, pic.height, stride},
                                         [&bytes](const unsigned char* b, std::size_t n) {
                                             bytes.insert(bytes.end(), b, b + n);
                                             return true;
                                         });
    EXPECT_TRUE(done);
    return bytes;
}

picture read_back(const std::vector<unsigned char>& bytes) {
    const std::string path = ::testing::TempDir() + "png_writer_" + std::to_string(getpid()) + ".png";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    picture back = easel::image::read_image(path);
    std::remove(path.c_str());
    return back;
}

// Sizes around one stored block (65535 bytes), so that one, two and many blocks are read back.
TEST(PngWriter, PicturesOfAnySizeReadBackPixelForPixel) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {200, 109}, {200, 110}, {301, 257}}) {
        picture pic(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pic.at(x, y) = static_cast<std::uint32_t>(x * 7919 + y * 104729) & 0xFFFFFFu;
        const auto bytes = encoded(pic, w, pic.pixels.data());
        ASSERT_GE(bytes.size(), 8u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "\x89PNG\r\n\x1a\n");
        const picture back = read_back(bytes);
        ASSERT_EQ(back.width, w);
        ASSERT_EQ(back.height, h);
        EXPECT_EQ(back.pixels, pic.pixels) << w << " x " << h;
    }
}

TEST(PngWriter, TakesRowsApartAndIgnoresTheTopByte) {
    std::vector<std::uint32_t> wide = {0xFF112233, 0x00445566, 0xAB000000, 0xFF778899, 0x00AABBCC, 0x12345678};
    picture expected(2, 2);
    expected.pixels = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    EXPECT_EQ(read_back(encoded(expected, 3, wide.data())).pixels, expected.pixels);
}

TEST(PngWriter, AnEmptyPictureOrARefusingSinkFails) {
    const std::uint32_t pixel = 0;
    int calls = 0;
    const auto refusing = [&calls](const unsigned char*, std::size_t) { return ++calls < 3; };
    EXPECT_FALSE(easel::png::encode({&pixel, 1, 1, 1}, refusing));
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(easel::png::encode({&pixel, 0, 1, 1}, refusing));
    EXPECT_FALSE(easel::png::encode({nullptr, 1, 1, 1}, refusing));
}

}  // namespace
