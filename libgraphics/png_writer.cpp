#include "png_writer.hpp"

#include <array>
#include <vector>

namespace easel::png {
namespace {

constexpr std::array<std::uint32_t, 256> crc_table = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

std::uint32_t crc_update(std::uint32_t crc, const unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) crc = crc_table[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return crc;
}

class adler32 {
public:
    void update(const unsigned char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            a = (a + bytes[i]) % modulus;
            b = (b + a) % modulus;
        }
    }
    std::uint32_t value() const { return b << 16 | a; }

private:
    static constexpr std::uint32_t modulus = 65521;
    std::uint32_t a = 1, b = 0;
};

void put_big_endian(std::vector<unsigned char>& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

// One chunk: length, type, data, CRC of type and data.
bool write_chunk(const sink& out, const char (&type)[5], const std::vector<unsigned char>& data) {
    std::vector<unsigned char> head;
    put_big_endian(head, static_cast<std::uint32_t>(data.size()));
    head.insert(head.end(), type, type + 4);
    std::uint32_t crc = crc_update(0xFFFFFFFFu, head.data() + 4, 4);
    crc = crc_update(crc, data.data(), data.size()) ^ 0xFFFFFFFFu;
    std::vector<unsigned char> tail;
    put_big_endian(tail, crc);
    return out(head.data(), head.size()) && (data.empty() || out(data.data(), data.size())) &&
           out(tail.data(), tail.size());
}

// The filtered image data (each row: filter 0, then R, G, B per pixel), handed out in pieces.
class raw_rows {
public:
    explicit raw_rows(const rgb_rows& p) : picture(p) {}

    std::uint64_t size() const {
        return static_cast<std::uint64_t>(picture.height) * (1 + 3 * static_cast<std::uint64_t>(picture.width));
    }
    // Appends the next count bytes to bytes.
    void take(std::size_t count, std::vector<unsigned char>& bytes) {
        while (count-- > 0) bytes.push_back(next_byte());
    }

private:
    unsigned char next_byte() {
        const std::uint64_t row_size = 1 + 3 * static_cast<std::uint64_t>(picture.width);
        const std::uint64_t y = position / row_size, in_row = position % row_size;
        ++position;
        if (in_row == 0) return 0;
        const std::uint32_t pixel = picture.first[static_cast<std::ptrdiff_t>(y) * picture.stride +
                                                  static_cast<std::ptrdiff_t>((in_row - 1) / 3)];
        return static_cast<unsigned char>(pixel >> (16 - 8 * ((in_row - 1) % 3)));
    }

    rgb_rows picture;
    std::uint64_t position = 0;
};

}  // namespace

bool encode(const rgb_rows& picture, const sink& out) {
    if (!picture.first || picture.width <= 0 || picture.height <= 0) return false;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!out(signature, sizeof signature)) return false;

    std::vector<unsigned char> header;
    put_big_endian(header, static_cast<std::uint32_t>(picture.width));
    put_big_endian(header, static_cast<std::uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits a channel, RGB, deflate, no filter choice, no interlace
    if (!write_chunk(out, "IHDR", header)) return false;

    // A zlib stream of stored blocks, one block per IDAT chunk.
    constexpr std::size_t largest_block = 65535;
    raw_rows rows(picture);
    std::uint64_t left = rows.size();
    adler32 check;
    bool first = true;
    std::vector<unsigned char> data;
    while (left > 0) {
        const std::size_t count = left < largest_block ? static_cast<std::size_t>(left) : largest_block;
        left -= count;
        data.clear();
        if (first) data.insert(data.end(), {0x78, 0x01});  // deflate, 32 KB window, no dictionary
        first = false;
        data.push_back(left == 0 ? 1 : 0);  // the final block, stored
        data.push_back(static_cast<unsigned char>(count));
        data.push_back(static_cast<unsigned char>(count >> 8));
        data.push_back(static_cast<unsigned char>(~count));
        data.push_back(static_cast<unsigned char>(~count >> 8));
        const std::size_t start = data.size();
        rows.take(count, data);
        check.update(data.data() + start, count);
        if (left == 0) put_big_endian(data, check.value());
        if (!write_chunk(out, "IDAT", data)) return false;
    }
    return write_chunk(out, "IEND", {});
}

}  // namespace easel::png
