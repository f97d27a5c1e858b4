// Key translation tables, private to the library.
//
// Two sorted lists of (from, to) pairs, searched by findkey:
//   keysym_tbl   SDL key symbol   -> library key code (special and function keys, from keys.def)
//   charcode_tbl Unicode character -> Windows-1250 byte (every such character above U+00FF)
// mkkeycode combines them into the key code that an event record carries.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <iterator>

#include "graphics.hpp"

namespace easel {
namespace {

struct code_pair {
    std::int32_t from;
    std::int32_t to;
};

// The special keys of keys.def, sorted by SDL key symbol.
constexpr code_pair keysym_tbl[] = {
#define EASEL_SPECIAL_KEY(name, symbol, number, character, code, dom_key, dom_code) {symbol, code},
#include "keys.def"
};
constexpr const code_pair* keysym_end = std::end(keysym_tbl);

// The numbers of keys.def are SDL's own.
#define EASEL_CHAR_KEY(name, symbol, number, dom_key, dom_code) static_assert(symbol == number, name);
#define EASEL_SPECIAL_KEY(name, symbol, number, character, code, dom_key, dom_code) \
    static_assert(symbol == number, name);
#include "keys.def"

// Sorted by code point.
constexpr code_pair charcode_tbl[] = {
    {0x0102, 195},  // Ă latin capital letter a with breve
    {0x0103, 227},  // ă latin small letter a with breve
    {0x0104, 165},  // Ą latin capital letter a with ogonek
    {0x0105, 185},  // ą latin small letter a with ogonek
    {0x0106, 198},  // Ć latin capital letter c with acute
    {0x0107, 230},  // ć latin small letter c with acute
    {0x010C, 200},  // Č latin capital letter c with caron
    {0x010D, 232},  // č latin small letter c with caron
    {0x010E, 207},  // Ď latin capital letter d with caron
    {0x010F, 239},  // ď latin small letter d with caron
    {0x0110, 208},  // Đ latin capital letter d with stroke
    {0x0111, 240},  // đ latin small letter d with stroke
    {0x0118, 202},  // Ę latin capital letter e with ogonek
    {0x0119, 234},  // ę latin small letter e with ogonek
    {0x011A, 204},  // Ě latin capital letter e with caron
    {0x011B, 236},  // ě latin small letter e with caron
    {0x0139, 197},  // Ĺ latin capital letter l with acute
    {0x013A, 229},  // ĺ latin small letter l with acute
    {0x013D, 188},  // Ľ latin capital letter l with caron
    {0x013E, 190},  // ľ latin small letter l with caron
    {0x0141, 163},  // Ł latin capital letter l with stroke
    {0x0142, 179},  // ł latin small letter l with stroke
    {0x0143, 209},  // Ń latin capital letter n with acute
    {0x0144, 241},  // ń latin small letter n with acute
    {0x0147, 210},  // Ň latin capital letter n with caron
    {0x0148, 242},  // ň latin small letter n with caron
    {0x0150, 213},  // Ő latin capital letter o with double acute
    {0x0151, 245},  // ő latin small letter o with double acute
    {0x0154, 192},  // Ŕ latin capital letter r with acute
    {0x0155, 224},  // ŕ latin small letter r with acute
    {0x0158, 216},  // Ř latin capital letter r with caron
    {0x0159, 248},  // ř latin small letter r with caron
    {0x015A, 140},  // Ś latin capital letter s with acute
    {0x015B, 156},  // ś latin small letter s with acute
    {0x015E, 170},  // Ş latin capital letter s with cedilla
    {0x015F, 186},  // ş latin small letter s with cedilla
    {0x0160, 138},  // Š latin capital letter s with caron
    {0x0161, 154},  // š latin small letter s with caron
    {0x0162, 222},  // Ţ latin capital letter t with cedilla
    {0x0163, 254},  // ţ latin small letter t with cedilla
    {0x0164, 141},  // Ť latin capital letter t with caron
    {0x0165, 157},  // ť latin small letter t with caron
    {0x016E, 217},  // Ů latin capital letter u with ring above
    {0x016F, 249},  // ů latin small letter u with ring above
    {0x0170, 219},  // Ű latin capital letter u with double acute
    {0x0171, 251},  // ű latin small letter u with double acute
    {0x0179, 143},  // Ź latin capital letter z with acute
    {0x017A, 159},  // ź latin small letter z with acute
    {0x017B, 175},  // Ż latin capital letter z with dot above
    {0x017C, 191},  // ż latin small letter z with dot above
    {0x017D, 142},  // Ž latin capital letter z with caron
    {0x017E, 158},  // ž latin small letter z with caron
    {0x02C7, 161},  // ˇ caron
    {0x02D8, 162},  // ˘ breve
    {0x02D9, 255},  // ˙ dot above
    {0x02DB, 178},  // ˛ ogonek
    {0x02DD, 189},  // ˝ double acute accent
    {0x2013, 150},  // – en dash
    {0x2014, 151},  // — em dash
    {0x2018, 145},  // ‘ left single quotation mark
    {0x2019, 146},  // ’ right single quotation mark
    {0x201A, 130},  // ‚ single low-9 quotation mark
    {0x201C, 147},  // “ left double quotation mark
    {0x201D, 148},  // ” right double quotation mark
    {0x201E, 132},  // „ double low-9 quotation mark
    {0x2020, 134},  // † dagger
    {0x2021, 135},  // ‡ double dagger
    {0x2022, 149},  // • bullet
    {0x2026, 133},  // … horizontal ellipsis
    {0x2030, 137},  // ‰ per mille sign
    {0x2039, 139},  // ‹ single left-pointing angle quotation mark
    {0x203A, 155},  // › single right-pointing angle quotation mark
    {0x20AC, 128},  // € euro sign
    {0x2122, 153},  // ™ trade mark sign
};
constexpr const code_pair* charcode_end = std::end(charcode_tbl);

// Binary search of [begin, end) for key; 0 when absent (no table maps to 0).
constexpr std::int32_t findkey(const code_pair* begin, const code_pair* end, std::int32_t key) {
    while (begin < end) {
        const code_pair* med = begin + (end - begin) / 2;
        const std::int32_t mk = med->from;
        if (mk == key) return med->to;
        if (mk < key) {
            begin = med + 1;
        } else {
            end = med;
        }
    }
    return 0;
}

// Table keys win over the characters they produce; characters that Windows-1250 places above
// U+00FF become their byte; any other character keeps its value; 0 means "swallow this key".
constexpr std::int32_t mkkeycode(std::int32_t sym, std::int32_t unicode) {
    const std::int32_t mysym = findkey(keysym_tbl, keysym_end, sym);
    if (mysym != 0) return mysym;
    if (unicode == 0) return 0;
    const std::int32_t mycode = findkey(charcode_tbl, charcode_end, unicode);
    return mycode != 0 ? mycode : unicode;
}

}  // namespace
}  // namespace easel
