// Reading and writing pictures: what easel_image writes it reads back, and it reads SDL's BMPs.
#include "image.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using easel::image::picture;

class ImageFiles : public testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("easel-image-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::string path(const std::string& name) const { return (directory_ / name).string(); }

    // Odd width (padded BMP rows) and every pixel different, so that a swapped channel or a flipped row shows.
    static picture sample() {
        picture pic(5, 3);
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) pic.at(x, y) = static_cast<std::uint32_t>(0x102030 * (1 + x + 5 * y)) & 0xffffff;
        return pic;
    }

private:
    std::filesystem::path directory_;
};

TEST_F(ImageFiles, PngAndBmpRoundTripExactly) {
    for (const char* name : {"sample.png", "sample.bmp", "SAMPLE.BMP"}) {
        easel::image::write_image(sample(), path(name));
        const picture back = easel::image::read_image(path(name));
        EXPECT_EQ(back.width, 5) << name;
        EXPECT_EQ(back.height, 3) << name;
        EXPECT_EQ(back.pixels, sample().pixels) << name;
    }
}

// SDL writes 24-bit surfaces as 24-bit BMPs and 32-bit ones with their masks, bottom-up.
TEST_F(ImageFiles, ReadsWhatSdlSaves) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    for (const int depth : {24, 32}) {
        SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 5, 3, depth, 0xff0000, 0x00ff00, 0x0000ff, 0);
        ASSERT_NE(surface, nullptr) << SDL_GetError();
        const picture pic = sample();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const std::uint32_t p = pic.at(x, y);
                SDL_Rect dot{static_cast<Sint16>(x), static_cast<Sint16>(y), 1, 1};
                SDL_FillRect(surface, &dot, SDL_MapRGB(surface->format, p >> 16 & 0xff, p >> 8 & 0xff, p & 0xff));
            }
        const std::string file = path("sdl" + std::to_string(depth) + ".bmp");
        ASSERT_EQ(SDL_SaveBMP(surface, file.c_str()), 0) << SDL_GetError();
        SDL_FreeSurface(surface);
        EXPECT_EQ(easel::image::read_image(file).pixels, pic.pixels) << depth << " bits";
    }
    SDL_Quit();
}

TEST_F(ImageFiles, UnreadableFilesAreReportedByName) {
    std::ofstream(path("text.png")) << "not a picture";
    EXPECT_THROW(easel::image::read_image(path("text.png")), easel::image::image_error);
    EXPECT_THROW(easel::image::read_image(path("absent.bmp")), easel::image::image_error);
    std::ofstream(path("short.bmp")) << "BM";
    EXPECT_THROW(easel::image::read_image(path("short.bmp")), easel::image::image_error);
}

// A PNG chunk: length, type, data and the CRC over type and data.
std::string png_chunk(const std::string& type, const std::string& data) {
    const auto big_endian = [](std::uint32_t value) {
        std::string bytes;
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift & 0xff);
        return bytes;
    };
    std::uint32_t crc = 0xffffffff;
    for (const char c : type + data) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (crc & 1 ? 0xedb88320 : 0);
    }
    return big_endian(static_cast<std::uint32_t>(data.size())) + type + data + big_endian(~crc);
}

// A PNG of a few dozen bytes that claims 40000 x 35000 pixels.
std::string png_claiming_huge_size() {
    return "\x89PNG\r\n\x1a\n" + png_chunk("IHDR", std::string("\0\0\x9c\x40\0\0\x88\xb8\x08\x02\0\0\0", 13)) +
           png_chunk("IDAT", "") + png_chunk("IEND", "");
}

TEST_F(ImageFiles, WhatCannotBeAPictureIsRefusedBeforeAnythingIsAllocated) {
    std::ofstream(path("huge.png"), std::ios::binary) << png_claiming_huge_size();
    std::string bmp(54, '\0');
    for (const auto& [offset, value] : {std::pair{0, 0x4d42}, {14, 40}, {18, 40000}, {22, 35000}, {28, 24}})
        for (int k = 0; k < 4; ++k) bmp[static_cast<std::size_t>(offset + k)] = static_cast<char>(value >> (8 * k) & 0xff);
    std::ofstream(path("huge.bmp"), std::ios::binary) << bmp;
    for (const char* name : {"huge.png", "huge.bmp"}) {
        try {
            easel::image::read_image(path(name));
            ADD_FAILURE() << name << " was read";
        } catch (const easel::image::image_error& refusal) {
            EXPECT_NE(std::string(refusal.what()).find("claims 40000 x 35000 pixels"), std::string::npos) << refusal.what();
        }
    }
    EXPECT_THROW(easel::image::read_image(path("")), easel::image::image_error) << "a directory";
    EXPECT_THROW(easel::image::write_image(sample(), path("a.png") + std::string(1, '\0') + ".bmp"),
                 easel::image::image_error);
    EXPECT_FALSE(std::filesystem::exists(path("a.png")));
}

TEST(ImageCompare, CountsDifferencesAndKeepsTheFirstInReadingOrder) {
    picture expected(4, 4, 0x000000);
    picture actual = expected;
    actual.at(3, 0) = 0x0000ff;
    actual.at(1, 2) = 0xffffff;
    actual.at(2, 3) = 0x00ff00;
    const auto result = easel::image::compare(actual, expected, 2);
    EXPECT_TRUE(result.same_size);
    EXPECT_EQ(result.differing, 3);
    ASSERT_EQ(result.first.size(), 2u);
    EXPECT_EQ(result.first[0].x, 3);
    EXPECT_EQ(result.first[0].y, 0);
    EXPECT_EQ(result.first[0].actual, 0x0000ffu);
    EXPECT_EQ(result.first[1].y, 2);
    EXPECT_EQ(result.first[1].expected, 0u);

    const auto resized = easel::image::compare(picture(4, 5), expected);
    EXPECT_FALSE(resized.same_size);
    EXPECT_EQ(resized.differing, 20);
}

TEST(ImageCompare, ToleranceIsPerChannelAndARegionLimitsWhatIsCompared) {
    picture expected(4, 4, 0x808080);
    picture actual = expected;
    actual.at(0, 0) = 0x8a8080;  // red off by 10
    actual.at(3, 3) = 0x000000;
    easel::image::comparison_rules rules;
    rules.tolerance = 10;
    EXPECT_EQ(easel::image::compare(actual, expected, rules).differing, 1);
    rules.tolerance = 9;
    EXPECT_EQ(easel::image::compare(actual, expected, rules).differing, 2);
    rules.area = easel::image::region{1, 0, 3, 3};
    EXPECT_EQ(easel::image::compare(actual, expected, rules).differing, 0);
    EXPECT_TRUE(easel::image::compare(picture(4, 3), expected, rules).same_size) << "the region lies in both";
    rules.area = easel::image::region{2, 2, 3, 1};
    EXPECT_FALSE(easel::image::compare(actual, expected, rules).same_size) << "the region sticks out";
}

TEST(ImageCompare, TheDifferencePictureShowsDifferingPixelsInRed) {
    picture expected(2, 1, 0xffffff);
    picture actual(3, 1, 0xffffff);
    actual.at(1, 0) = 0x000000;
    const picture diff = easel::image::difference_picture(actual, expected, {});
    ASSERT_EQ(diff.width, 3);
    EXPECT_EQ(diff.pixels, (std::vector<std::uint32_t>{0x555555, 0xff0000, 0xff0000})) << "the third lies in one only";
}

}  // namespace
