// The generated glyph table against the layout rules text placement relies on, and the
// generator's handling of malformed font sources.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#ifndef EASEL_FONTGEN
#error "EASEL_FONTGEN must name the fontgen executable"
#endif

namespace font_table {
#include "charfaces.inc"
}

namespace {

using font_table::charfaces;

constexpr int cell_rows = 17;
constexpr int cell_columns = 8;
constexpr int no_ink = -1;

int intensity(int code, int row, int column) {
    return static_cast<int>((charfaces[code][row] >> (4 * column)) & 0xfu);
}

bool inked(int code) {
    return std::any_of(std::begin(charfaces[code]), std::end(charfaces[code]),
                       [](std::uint32_t word) { return word != 0; });
}

int top_row(int code) {
    for (int row = 0; row < cell_rows; ++row)
        if (charfaces[code][row] != 0) return row;
    return no_ink;
}

int bottom_row(int code) {
    for (int row = cell_rows - 1; row >= 0; --row)
        if (charfaces[code][row] != 0) return row;
    return no_ink;
}

bool has_ink_in_column(int code, int column) {
    for (int row = 0; row < cell_rows; ++row)
        if (intensity(code, row, column) != 0) return true;
    return false;
}

int differing_pixels(int a, int b) {
    int count = 0;
    for (int row = 0; row < cell_rows; ++row)
        for (int column = 0; column < cell_columns; ++column)
            count += intensity(a, row, column) != intensity(b, row, column);
    return count;
}

std::set<int> codes_of(const std::string& characters) {
    std::set<int> codes;
    for (char c : characters) codes.insert(static_cast<unsigned char>(c));
    return codes;
}

bool printable(int code) { return (code >= 33 && code <= 126) || code >= 161; }

// Capital and small letters of the ISO-8859-2 upper half (the rest are marks and symbols).
bool latin2_capital(int code) {
    return codes_of("\xa1\xa3\xa5\xa6\xa9\xaa\xab\xac\xae\xaf").count(code) != 0 ||
           (code >= 192 && code <= 222 && code != 215);
}

bool latin2_small(int code) {
    return codes_of("\xb1\xb3\xb5\xb6\xb9\xba\xbb\xbc\xbe\xbf").count(code) != 0 ||
           (code >= 223 && code <= 254 && code != 247);
}

// Everything that reaches below the baseline: the ASCII descenders, and in the upper half the
// letters with ogonek or cedilla, y with acute, and the ogonek and cedilla themselves.
const std::set<int> descenders = codes_of(
    "gjpqyQ$(),/;@[]\\_{}|"
    "\xa1\xb1\xca\xea"          // Ą ą Ę ę
    "\xc7\xe7\xaa\xba\xde\xfe"  // Ç ç Ş ş Ţ ţ
    "\xfd\xb2\xb8");            // ý ˛ ¸

constexpr int small_l_acute = 229;  // ĺ: its acute sits above the ascender

}  // namespace

TEST(FontTable, InksExactlyThePrintableAsciiAndLatin2Codes) {
    int count = 0;
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(inked(code), printable(code)) << "code " << code;
        count += inked(code);
    }
    EXPECT_EQ(count, 189);
}

TEST(FontTable, UsesOnlyFullInkAndLeavesTheLastRowAndFirstColumnFree) {
    // Column 0 separates neighbours; only the underscore runs through it, so that a row of
    // underscores joins up.
    const std::set<int> wide = codes_of("_");
    for (int code = 0; code < 256; ++code) {
        for (int row = 0; row < cell_rows; ++row)
            for (int column = 0; column < cell_columns; ++column) {
                const int value = intensity(code, row, column);
                EXPECT_TRUE(value == 0 || value == 15) << "code " << code << " row " << row;
            }
        EXPECT_EQ(charfaces[code][cell_rows - 1], 0u) << "code " << code;
        EXPECT_EQ(has_ink_in_column(code, 0), wide.count(code) != 0) << "code " << code;
    }
}

TEST(FontTable, AIsTheReferenceGlyph) {
    const std::uint32_t reference[cell_rows] = {
        0, 0, 0, 0, 0x000f0000, 0x00fff000, 0x00f0f000, 0x00f0f000, 0x0f000f00,
        0x0f000f00, 0x0fffff00, 0xff000ff0, 0xf00000f0, 0, 0, 0, 0};
    for (int row = 0; row < cell_rows; ++row) EXPECT_EQ(charfaces['A'][row], reference[row]) << row;
}

TEST(FontTable, OnlyTheDescendersReachBelowTheBaseline) {
    for (int code = 0; code < 256; ++code) {
        if (!inked(code)) continue;
        if (descenders.count(code) != 0) {
            EXPECT_GE(bottom_row(code), 13) << "code " << code;
            EXPECT_LE(bottom_row(code), 15) << "code " << code;
        } else {
            EXPECT_LE(bottom_row(code), 12) << "code " << code;
        }
    }
}

TEST(FontTable, DigitsAndCapitalsFillRowsFourToTwelve) {
    for (int code : codes_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
        EXPECT_EQ(top_row(code), 4) << char(code);
        EXPECT_NE(charfaces[code][12], 0u) << char(code);
        if (code != 'Q') {
            EXPECT_EQ(bottom_row(code), 12) << char(code);
        }
    }
}

TEST(FontTable, LowerCaseHasItsXHeightAndAscenders) {
    for (int code : codes_of("acegmnopqrsuvwxyz")) EXPECT_EQ(top_row(code), 6) << char(code);
    for (int code : codes_of("bdfhkl")) EXPECT_EQ(top_row(code), 2) << char(code);
    for (int code = 'a'; code <= 'z'; ++code) {
        EXPECT_GE(top_row(code), 2) << char(code);
        EXPECT_NE(charfaces[code][12], 0u) << char(code);
    }
}

TEST(FontTable, AccentsOverCapitalsStayInRowsZeroToTwoAboveAGap) {
    for (int code = 0; code < 256; ++code) {
        const bool capital = (code >= 'A' && code <= 'Z') || latin2_capital(code);
        if (capital) {
            EXPECT_EQ(charfaces[code][3], 0u) << "code " << code;
            EXPECT_NE(charfaces[code][12], 0u) << "code " << code;
        } else if (inked(code) && code != small_l_acute) {
            EXPECT_GE(top_row(code), 2) << "code " << code;
        }
    }
}

TEST(FontTable, AccentsOverSmallLettersLeaveAGapAboveTheXHeight) {
    const std::set<int> tall = codes_of("\xb3\xb5\xbb\xdf\xe5\xef\xf0\xfe");  // ł ľ ť ß ĺ ď đ ţ
    for (int code = 0; code < 256; ++code) {
        if (!latin2_small(code)) continue;
        EXPECT_NE(charfaces[code][12], 0u) << "code " << code;
        if (tall.count(code) == 0) {
            EXPECT_EQ(charfaces[code][5], 0u) << "code " << code;
            EXPECT_NE(charfaces[code][6], 0u) << "code " << code;
        }
    }
}

TEST(FontTable, EveryGlyphIsDistinctAndLookalikesDifferClearly) {
    for (int a = 0; a < 256; ++a) {
        if (!inked(a)) continue;
        for (int b = a + 1; b < 256; ++b) EXPECT_GT(differing_pixels(a, b), 0) << a << " and " << b;
    }

    const char* lookalikes[][2] = {
        {"0", "O"}, {"1", "l"}, {"1", "I"}, {"l", "I"}, {"l", "|"}, {"I", "|"},
        {"\xf5", "\xf6"},  // ő ö
        {"\xfb", "\xfc"},  // ű ü
        {"\xd5", "\xd6"},  // Ő Ö
        {"\xdb", "\xdc"},  // Ű Ü
        {"\xe8", "\xe6"},  // č ć
        {"\xb3", "l"},     // ł l
        {"\xa1", "A"},     // Ą A
        {"-", "\xad"},     // hyphen, soft hyphen
    };
    for (const auto& pair : lookalikes) {
        const int a = static_cast<unsigned char>(pair[0][0]);
        const int b = static_cast<unsigned char>(pair[1][0]);
        EXPECT_GE(differing_pixels(a, b), 3) << a << " and " << b;
    }
}

TEST(FontTable, TheReplacementIsAFullInkCellUnlikeEveryGlyph) {
    using font_table::replacement_face;
    EXPECT_EQ(replacement_face[cell_rows - 1], 0u);
    int ink = 0;
    for (int row = 0; row < cell_rows; ++row)
        for (int column = 0; column < cell_columns; ++column) {
            const auto value = (replacement_face[row] >> (4 * column)) & 0xfu;
            EXPECT_TRUE(value == 0 || value == 15) << "row " << row;
            ink += value != 0;
        }
    EXPECT_GT(ink, 20);
    for (int code = 0; code < 256; ++code)
        EXPECT_FALSE(std::equal(std::begin(replacement_face), std::end(replacement_face), charfaces[code])) << code;
}

// Runs the generator on a small font source and keeps what it prints.
class FontGenerator : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/easel_fontgen_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }

    void TearDown() override {
        std::remove((dir_ + "/font.txt").c_str());
        std::remove((dir_ + "/out.inc").c_str());
        rmdir(dir_.c_str());
    }

    // Exit status of fontgen on source; its messages end up in messages_.
    int run(const std::string& source) {
        std::remove((dir_ + "/out.inc").c_str());
        std::ofstream(dir_ + "/font.txt") << source;
        const std::string command =
            "'" EASEL_FONTGEN "' '" + dir_ + "/font.txt' '" + dir_ + "/out.inc' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return -1;
        messages_.clear();
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) messages_ += buffer;
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string output() const {
        std::ifstream in(dir_ + "/out.inc");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Expects the source to be refused with a message on the given line saying what.
    void expect_refused(const std::string& source, int line, const std::string& what) {
        EXPECT_EQ(run(source), 1) << source;
        EXPECT_NE(messages_.find("font.txt:" + std::to_string(line) + ": "), std::string::npos)
            << messages_;
        EXPECT_NE(messages_.find(what), std::string::npos) << messages_;
        EXPECT_TRUE(output().empty()) << "no table is written for a malformed source";
    }

    std::string dir_;
    std::string messages_;
};

std::string art_rows(int count, const std::string& row = "........") {
    std::string rows;
    for (int i = 0; i < count; ++i) rows += row + "\n";
    return rows;
}

TEST_F(FontGenerator, WritesOnlyTheCommentedTablesForAValidSource) {
    const std::string source = "// a comment\n"
                               "mark tick\n#.......\n\n"
                               "glyph 66 B\n" + art_rows(16) + "..#####.\n"
                               "glyph 213 \xc5\x90 = B + tick@3,2 + tick@0,7\n"  // Ő
                               "replacement\n" + art_rows(16, "#.......") + "........\n";
    ASSERT_EQ(run(source), 0) << messages_;
    const std::string table = output();
    const std::size_t first = table.find("constexpr");
    const std::size_t second = table.find("constexpr", first + 1);
    EXPECT_EQ(table.find("constexpr std::uint32_t charfaces[256][17] = {"), first);
    EXPECT_EQ(table.find("constexpr std::uint32_t replacement_face[17] = {0x0000000f, "), second);
    EXPECT_EQ(table.find("constexpr", second + 1), std::string::npos);
    // Code 66 keeps its art; code 213 is B with the tick three columns in on row 3 and at the
    // right edge of row 0.
    const std::string zero = "0x00000000, ";
    std::string zeros;
    for (int i = 0; i < 12; ++i) zeros += zero;
    EXPECT_NE(table.find("/* 66 B */ {" + zeros + zero + zero + zero + zero + "0x0fffff00},"),
              std::string::npos) << table;
    EXPECT_NE(table.find("/* 213 \xc5\x90 */ {0xf0000000, 0x00000000, 0x00000000, 0x00000f00, "),
              std::string::npos) << table;
    EXPECT_NE(table.find("/* 0 */ {" + zeros), std::string::npos);
}

TEST_F(FontGenerator, RefusesMalformedArtWithTheLineNumber) {
    const std::string a = "glyph 65 A\n";
    expect_refused(a + art_rows(3) + ".......\n" + art_rows(13), 5, "7 columns");
    expect_refused(a + art_rows(3) + "....x...\n" + art_rows(13), 5, "unknown character 'x'");
    expect_refused("\n" + a + art_rows(16) + "glyph 66 B\n" + art_rows(17), 2, "16 rows");
    expect_refused(a + art_rows(18), 19, "too many rows");
    expect_refused("........\n", 1, "outside a glyph");
    expect_refused("glyf 65 A\n", 1, "unrecognised line");
    expect_refused("replacement\n" + art_rows(16), 1, "16 rows");
}

TEST_F(FontGenerator, RefusesBadHeadersAndCompositions) {
    const std::string a = "glyph 65 A\n" + art_rows(17);
    expect_refused(a + "\nglyph 65 A\n" + art_rows(17), 20, "duplicate code 65");
    expect_refused("glyph 66 A\n" + art_rows(17), 1, "is 'B'");
    expect_refused("glyph 32 x\n", 1, "blank");
    expect_refused(a + "glyph 193 \xc3\x81 = A + acute@0\n", 19, "unknown accent or base 'acute'");
    expect_refused(a + "glyph 193 \xc3\x81 = \xc3\x84\n", 19, "unknown accent or base");
    expect_refused("mark bar\n##......\nglyph 95 _ = bar@0,-1\n", 3, "out of the cell");
    expect_refused("mark bar\n##......\n##......\nglyph 95 _ = bar@16\n", 4, "below the cell");
    expect_refused("mark bar\n##......\nglyph 95 _ = bar@x\n", 3, "bad placement");
    expect_refused("mark bar\n##......\n", 2, "no 'replacement' block");
    const std::string replacement = "replacement\n" + art_rows(17);
    expect_refused(replacement + replacement, 19, "duplicate 'replacement'");
}
