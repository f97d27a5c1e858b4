// The font's character set, ISO-8859-2, and UTF-8: shared by the font generator, which checks
// font.txt against them, the library, which reads UTF-8 text with them, the browser layer and
// easel-replay, which decode typed characters with them. Private.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace easel::charset {

// ISO-8859-2: codes 0..160 show the characters U+0000..U+00A0; the upper codes are listed here.
constexpr int latin2_first_upper = 161;
constexpr int latin2_last_code = 255;

// Unicode code points of the characters at codes 161..255.
constexpr std::array<char32_t, 95> latin2_upper = {
    0x0104, 0x02d8, 0x0141, 0x00a4, 0x013d, 0x015a, 0x00a7, 0x00a8, 0x0160, 0x015e, 0x0164, 0x0179,
    0x00ad, 0x017d, 0x017b, 0x00b0, 0x0105, 0x02db, 0x0142, 0x00b4, 0x013e, 0x015b, 0x02c7, 0x00b8,
    0x0161, 0x015f, 0x0165, 0x017a, 0x02dd, 0x017e, 0x017c, 0x0154, 0x00c1, 0x00c2, 0x0102, 0x00c4,
    0x0139, 0x0106, 0x00c7, 0x010c, 0x00c9, 0x0118, 0x00cb, 0x011a, 0x00cd, 0x00ce, 0x010e, 0x0110,
    0x0143, 0x0147, 0x00d3, 0x00d4, 0x0150, 0x00d6, 0x00d7, 0x0158, 0x016e, 0x00da, 0x0170, 0x00dc,
    0x00dd, 0x0162, 0x00df, 0x0155, 0x00e1, 0x00e2, 0x0103, 0x00e4, 0x013a, 0x0107, 0x00e7, 0x010d,
    0x00e9, 0x0119, 0x00eb, 0x011b, 0x00ed, 0x00ee, 0x010f, 0x0111, 0x0144, 0x0148, 0x00f3, 0x00f4,
    0x0151, 0x00f6, 0x00f7, 0x0159, 0x016f, 0x00fa, 0x0171, 0x00fc, 0x00fd, 0x0163, 0x02d9,
};

// The character at a code 0..255.
constexpr char32_t latin2_character(int code) {
    if (code < latin2_first_upper) return static_cast<char32_t>(code);
    return latin2_upper[static_cast<std::size_t>(code - latin2_first_upper)];
}

// The code showing c, or -1 when ISO-8859-2 lacks it.
constexpr int latin2_code(char32_t c) {
    if (c < latin2_first_upper) return static_cast<int>(c);
    for (int code = latin2_first_upper; code <= latin2_last_code; ++code)
        if (latin2_upper[static_cast<std::size_t>(code - latin2_first_upper)] == c) return code;
    return -1;
}

// UTF-8 of a code point below U+10000.
inline std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
    return out;
}

// Length (2 to 4) of the well-formed UTF-8 sequence of one multi-byte character starting at s[i],
// its code point stored in c; 0 when the bytes there are not one.
inline std::size_t utf8_sequence(const std::string& s, std::size_t i, char32_t& c) {
    // Lead bytes C0..DF start two bytes, E0..EF three, F0..F4 four; a code point written in
    // more bytes than it needs (overlong) does not count.
    constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC0 || lead > 0xF4 || s.size() - i < length) return 0;
    c = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0u) != 0x80u) return 0;
        c = c << 6 | (next & 0x3Fu);
    }
    const bool surrogate = c >= 0xD800 && c < 0xE000;
    return c >= least[length] && c <= 0x10FFFF && !surrogate ? length : 0;
}

// Length of the UTF-8 character at s[i] (1 for an ASCII byte), its code point stored in c; 0 when
// the bytes there are not a well-formed character.
inline std::size_t utf8_character(const std::string& s, std::size_t i, char32_t& c) {
    const auto byte = static_cast<unsigned char>(s[i]);
    if (byte >= 0x80) return utf8_sequence(s, i, c);
    c = byte;
    return 1;
}

}  // namespace easel::charset
