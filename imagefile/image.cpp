#include "image.hpp"

#include "bmp_writer.hpp"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace easel::image {

bool within_limits(long width, long height) {
    return width > 0 && height > 0 && width <= max_side && height <= max_side && width * height <= max_pixels;
}

picture::picture(int w, int h, std::uint32_t fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

namespace {

using bytes = std::vector<unsigned char>;

constexpr std::size_t bmp_file_header_size = 14;
constexpr std::size_t bmp_info_header_size = 40;
constexpr std::size_t bmp_masks_offset = bmp_file_header_size + bmp_info_header_size;
constexpr std::uint32_t bmp_uncompressed = 0;
constexpr std::uint32_t bmp_bitfields = 3;
constexpr std::uint32_t bmp_alpha_bitfields = 6;

std::uint32_t pack(unsigned red, unsigned green, unsigned blue) { return red << 16 | green << 8 | blue; }

bool ends_with_lowercase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char s, char t) { return s == std::tolower(static_cast<unsigned char>(t)); });
}

// A picture within the limits takes fewer bytes than this in either format.
constexpr std::size_t longest_file = static_cast<std::size_t>(max_pixels) * 4 + (1 << 20);

// Pictures are read as bytes and by this process alone: binary mode and no inheritance on Windows,
// close-on-exec elsewhere.
#ifdef _WIN32
constexpr int read_only = O_RDONLY | O_BINARY | O_NOINHERIT;
#else
constexpr int read_only = O_RDONLY | O_CLOEXEC;
#endif

image_error file_error(const std::string& path, const std::string& what) { return image_error(path + ": " + what); }

// The whole file, refusing what cannot be a picture within the limits before reading it all.
bytes read_file(const std::string& path) {
    const int fd = open(path.c_str(), read_only);
    if (fd < 0) throw file_error(path, std::string("cannot open: ") + std::strerror(errno));
    struct stat status {};
    bytes data;
    std::string fault;
    if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) fault = "is a directory, not a picture";
    while (fault.empty()) {
        unsigned char chunk[65536];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fault = std::string("cannot read: ") + std::strerror(errno);
        if (got <= 0) break;
        data.insert(data.end(), chunk, chunk + got);
        if (data.size() > longest_file)
            fault = "longer than " + std::to_string(longest_file) + " bytes, more than any picture within the limits";
    }
    close(fd);
    if (!fault.empty()) throw file_error(path, fault);
    return data;
}

void refuse_beyond_limits(long width, long height, const std::string& path) {
    if (!within_limits(width, height))
        throw file_error(path, "claims " + std::to_string(width) + " x " + std::to_string(height) +
                                   " pixels; pictures are limited to " + std::to_string(max_pixels) +
                                   " pixels and sides of " + std::to_string(max_side));
}

void write_file(const std::string& path, const bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) throw image_error(path + ": cannot write: " + std::strerror(errno));
}

std::uint32_t little_endian(const bytes& data, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) value = value << 8 | data.at(offset + i);
    return value;
}

// One colour channel of a 32-bit BMP pixel, described by its mask and scaled to 8 bits.
struct channel {
    std::uint32_t mask;
    int shift = 0;
    int bits = 0;

    explicit channel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (!(mask >> shift & 1u)) ++shift;
        while (bits < 32 - shift && (mask >> (shift + bits) & 1u)) ++bits;
    }

    unsigned from(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        return bits >= 8 ? value >> (bits - 8) : value * 255 / ((1u << bits) - 1);
    }
};

picture decode_bmp(const bytes& data, const std::string& path) {
    if (data.size() < bmp_masks_offset) throw image_error(path + ": truncated BMP header");
    const std::uint32_t pixel_offset = little_endian(data, 10, 4);
    const std::uint32_t header_size = little_endian(data, 14, 4);
    const auto width = static_cast<std::int32_t>(little_endian(data, 18, 4));
    const auto stored_height = static_cast<std::int32_t>(little_endian(data, 22, 4));
    const std::uint32_t bits_per_pixel = little_endian(data, 28, 2);
    const std::uint32_t compression = little_endian(data, 30, 4);
    if (header_size < bmp_info_header_size) throw image_error(path + ": unsupported BMP header");
    if (bits_per_pixel != 24 && bits_per_pixel != 32)
        throw image_error(path + ": BMP with " + std::to_string(bits_per_pixel) + " bits per pixel is not supported");
    const bool masked = compression == bmp_bitfields || compression == bmp_alpha_bitfields;
    if (compression != bmp_uncompressed && !(masked && bits_per_pixel == 32))
        throw image_error(path + ": compressed BMP is not supported");
    if (width <= 0 || stored_height == 0 || stored_height == INT32_MIN) throw image_error(path + ": bad BMP size");
    const bool bottom_up = stored_height > 0;
    const int height = bottom_up ? stored_height : -stored_height;
    refuse_beyond_limits(width, height, path);
    const std::size_t pixel_bytes = bits_per_pixel / 8;
    const std::size_t row_bytes = (static_cast<std::size_t>(width) * pixel_bytes + 3) / 4 * 4;
    if (data.size() < pixel_offset + row_bytes * static_cast<std::size_t>(height))
        throw image_error(path + ": truncated BMP pixel data");

    const channel red(masked ? little_endian(data, bmp_masks_offset, 4) : 0x00ff0000);
    const channel green(masked ? little_endian(data, bmp_masks_offset + 4, 4) : 0x0000ff00);
    const channel blue(masked ? little_endian(data, bmp_masks_offset + 8, 4) : 0x000000ff);
    picture pic(width, height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = pixel_offset + row_bytes * static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t value = little_endian(data, row + static_cast<std::size_t>(x) * pixel_bytes, pixel_bytes);
            pic.at(x, y) = pack(red.from(value), green.from(value), blue.from(value));
        }
    }
    return pic;
}

bytes encode_bmp(const picture& pic) {
    return bmp_bytes(pic.width, pic.height, [&pic](int x, int y) { return pic.at(x, y); });
}

png_image png_description() {
    png_image description;
    std::memset(&description, 0, sizeof description);
    description.version = PNG_IMAGE_VERSION;
    return description;
}

picture decode_png(const bytes& data, const std::string& path) {
    png_image description = png_description();
    if (!png_image_begin_read_from_memory(&description, data.data(), data.size()))
        throw image_error(path + ": " + description.message);
    if (!within_limits(description.width, description.height)) {
        png_image_free(&description);
        refuse_beyond_limits(description.width, description.height, path);
    }
    description.format = PNG_FORMAT_RGB;
    // Zeroed, so that transparent pixels come out black.
    bytes rgb(PNG_IMAGE_SIZE(description), 0);
    if (!png_image_finish_read(&description, nullptr, rgb.data(), 0, nullptr))
        throw image_error(path + ": " + description.message);
    picture pic(static_cast<int>(description.width), static_cast<int>(description.height));
    for (std::size_t i = 0; i < pic.pixels.size(); ++i) pic.pixels[i] = pack(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return pic;
}

void write_png(const picture& pic, const std::string& path) {
    bytes rgb(pic.pixels.size() * 3);
    for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
        rgb[3 * i] = static_cast<unsigned char>(pic.pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(pic.pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(pic.pixels[i]);
    }
    png_image description = png_description();
    description.width = static_cast<png_uint_32>(pic.width);
    description.height = static_cast<png_uint_32>(pic.height);
    description.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&description, path.c_str(), 0, rgb.data(), 0, nullptr))
        throw image_error(path + ": " + description.message);
}

void refuse_nul_byte(const std::string& path) {
    if (path.find('\0') == std::string::npos) return;
    std::string shown;
    for (const char c : path) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    throw image_error(shown + ": a file name cannot hold a NUL byte");
}

}  // namespace

bool has_bmp_extension(const std::string& path) { return ends_with_lowercase(path, ".bmp"); }

bool has_png_extension(const std::string& path) { return ends_with_lowercase(path, ".png"); }

picture read_image(const std::string& path) {
    refuse_nul_byte(path);
    const bytes data = read_file(path);
    if (data.size() >= 8 && png_sig_cmp(data.data(), 0, 8) == 0) return decode_png(data, path);
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return decode_bmp(data, path);
    throw image_error(path + ": neither a PNG nor a BMP file");
}

void write_image(const picture& pic, const std::string& path) {
    refuse_nul_byte(path);
    if (pic.width <= 0 || pic.height <= 0) throw image_error(path + ": nothing to write, the picture is empty");
    if (has_bmp_extension(path))
        write_file(path, encode_bmp(pic));
    else
        write_png(pic, path);
}

namespace {

unsigned channel_distance(std::uint32_t a, std::uint32_t b, int shift) {
    const int difference = static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff);
    return static_cast<unsigned>(std::abs(difference));
}

bool matches(std::uint32_t a, std::uint32_t b, int tolerance) {
    const unsigned most = std::max({channel_distance(a, b, 16), channel_distance(a, b, 8), channel_distance(a, b, 0)});
    return static_cast<long>(most) <= tolerance;
}

bool inside(const picture& pic, const region& area) {
    return area.x >= 0 && area.y >= 0 && area.width > 0 && area.height > 0 &&
           static_cast<long>(area.x) + area.width <= pic.width && static_cast<long>(area.y) + area.height <= pic.height;
}

// What is compared: the area, or all of both pictures; empty when that cannot be compared.
std::optional<region> compared_area(const picture& actual, const picture& expected, const comparison_rules& rules) {
    if (rules.area) {
        if (inside(actual, *rules.area) && inside(expected, *rules.area)) return rules.area;
        return std::nullopt;
    }
    if (actual.width != expected.width || actual.height != expected.height) return std::nullopt;
    return region{0, 0, actual.width, actual.height};
}

std::uint32_t dimmed_grey(std::uint32_t pixel, unsigned divisor) {
    const unsigned grey = ((pixel >> 16 & 0xff) + (pixel >> 8 & 0xff) + (pixel & 0xff)) / 3 / divisor;
    return pack(grey, grey, grey);
}

}  // namespace

comparison compare(const picture& actual, const picture& expected, const comparison_rules& rules) {
    comparison result;
    const std::optional<region> area = compared_area(actual, expected, rules);
    if (!area) {
        result.same_size = false;
        result.differing = rules.area ? static_cast<long>(rules.area->width) * rules.area->height
                                      : static_cast<long>(std::max(actual.pixels.size(), expected.pixels.size()));
        return result;
    }
    for (int y = area->y; y < area->y + area->height; ++y) {
        for (int x = area->x; x < area->x + area->width; ++x) {
            if (matches(actual.at(x, y), expected.at(x, y), rules.tolerance)) continue;
            ++result.differing;
            if (result.first.size() < rules.examples) result.first.push_back({x, y, actual.at(x, y), expected.at(x, y)});
        }
    }
    return result;
}

comparison compare(const picture& actual, const picture& expected, std::size_t examples) {
    comparison_rules rules;
    rules.examples = examples;
    return compare(actual, expected, rules);
}

picture difference_picture(const picture& actual, const picture& expected, const comparison_rules& rules) {
    constexpr std::uint32_t highlight = 0xff0000;
    picture diff(std::max(actual.width, expected.width), std::max(actual.height, expected.height));
    const region whole{0, 0, diff.width, diff.height};
    const region area = rules.area.value_or(whole);
    const auto in_area = [&area](int x, int y) {
        return x >= area.x && y >= area.y && x - area.x < area.width && y - area.y < area.height;
    };
    for (int y = 0; y < diff.height; ++y) {
        for (int x = 0; x < diff.width; ++x) {
            const bool in_both = x < actual.width && y < actual.height && x < expected.width && y < expected.height;
            const bool compared = in_area(x, y);
            if (compared && (!in_both || !matches(actual.at(x, y), expected.at(x, y), rules.tolerance)))
                diff.at(x, y) = highlight;
            else if (x < actual.width && y < actual.height)
                diff.at(x, y) = dimmed_grey(actual.at(x, y), compared ? 3 : 8);
        }
    }
    return diff;
}

}  // namespace easel::image
