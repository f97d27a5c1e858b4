// The key and character tables and the key translation built on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "iconv_reference.hpp"
#include "keytbl.hpp"

using namespace easel;

namespace {

// Every CP1250 byte whose character lies above U+00FF, as glibc's iconv converts it.
std::vector<code_pair> cp1250_above_latin1() {
    std::vector<code_pair> rows;
    for (int byte = 128; byte < 256; ++byte) {
        const auto code_point = static_cast<std::int32_t>(easel_test::character_of_byte("CP1250", byte));
        if (code_point > 0xFF) rows.push_back({code_point, byte});
    }
    std::sort(rows.begin(), rows.end(), [](code_pair a, code_pair b) { return a.from < b.from; });
    return rows;
}

template <std::size_t N>
bool sorted_by_key(const code_pair (&table)[N]) {
    return std::is_sorted(std::begin(table), std::end(table),
                          [](code_pair a, code_pair b) { return a.from < b.from; }) &&
           std::adjacent_find(std::begin(table), std::end(table),
                              [](code_pair a, code_pair b) { return a.from == b.from; }) == std::end(table);
}

}  // namespace

TEST(CharcodeTable, AgreesWithIconvRowByRow) {
    const std::vector<code_pair> expected = cp1250_above_latin1();
    ASSERT_EQ(std::size(charcode_tbl), 74u);
    ASSERT_EQ(expected.size(), 74u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(charcode_tbl[i].from, expected[i].from) << "row " << i;
        EXPECT_EQ(charcode_tbl[i].to, expected[i].to) << "row " << i;
    }
}

TEST(KeysymTable, IsSortedAndCoversEveryKey) {
    EXPECT_EQ(std::size(keysym_tbl), 37u);
    EXPECT_TRUE(sorted_by_key(keysym_tbl));
    EXPECT_TRUE(sorted_by_key(charcode_tbl));
    std::vector<std::int32_t> codes;
    for (const code_pair& row : keysym_tbl) codes.push_back(row.to);
    std::sort(codes.begin(), codes.end());
    std::vector<std::int32_t> expected;
    for (int k = key_up; k <= key_scrl; ++k) expected.push_back(k);
    for (int k = key_f1; k <= key_f15; ++k) expected.push_back(k);
    EXPECT_EQ(codes, expected);
}

TEST(KeyCodes, HaveTheirPublishedValues) {
    EXPECT_EQ(key_delete, 65541);
    EXPECT_EQ(key_scrl, 65557);
    EXPECT_EQ(key_f0, 131072);
    EXPECT_EQ(key_f15, 131087);
    EXPECT_EQ(key_menu, 65536 + 18);
}

TEST(Findkey, FindsEveryRowAndNothingElse) {
    for (const code_pair& row : charcode_tbl) EXPECT_EQ(findkey(charcode_tbl, charcode_end, row.from), row.to);
    for (const code_pair& row : keysym_tbl) EXPECT_EQ(findkey(keysym_tbl, keysym_end, row.from), row.to);
    EXPECT_EQ(findkey(keysym_tbl, keysym_end, 0), 0);
    EXPECT_EQ(findkey(keysym_tbl, keysym_end, 126), 0);
    EXPECT_EQ(findkey(keysym_tbl, keysym_end, 400), 0);
    EXPECT_EQ(findkey(keysym_tbl, keysym_tbl, SDLK_UP), 0);
}

TEST(Mkkeycode, TableKeysWinThenCharactersThenNothing) {
    EXPECT_EQ(mkkeycode(SDLK_DELETE, 127), key_delete);
    EXPECT_EQ(mkkeycode(SDLK_F1, 0), key_f1);
    EXPECT_EQ(mkkeycode(SDLK_a, 'a'), 'a');
    EXPECT_EQ(mkkeycode(SDLK_a, 0), 0);
    EXPECT_EQ(mkkeycode(SDLK_RETURN, 13), key_enter);
    EXPECT_EQ(mkkeycode(SDLK_UNKNOWN, 0x0151), 245);
    EXPECT_EQ(mkkeycode(SDLK_UNKNOWN, 0x00E9), 233);
    EXPECT_EQ(mkkeycode(SDLK_UNKNOWN, 0x0416), 0x0416);  // outside the code page: kept as it is
    EXPECT_EQ(mkkeycode(SDLK_UNKNOWN, 0x2122), 153);
}
