// fontgen INPUT OUTPUT: turns the ASCII-art font source (font.txt) into the
// charfaces table, a C++ fragment that the library includes inside its own
// namespace.  Malformed input is reported as "INPUT:LINE: message" and the
// program exits with status 1 without writing OUTPUT.

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int cell_rows = 17;
constexpr int cell_columns = 8;
constexpr int max_code = 255;

using rows_t = std::vector<std::uint32_t>;
using face_t = std::array<std::uint32_t, cell_rows>;

struct font_error : std::runtime_error {
    font_error(int line_number, const std::string& message)
        : std::runtime_error(message), line(line_number) {}
    int line;
};

// Unicode code points of the ISO-8859-2 characters at codes 161..255.
constexpr int first_upper = 161;
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

// The character a code shows, or 0 for the blank codes (controls, space, 127..160).
char32_t printable_character(int code) {
    if (code > ' ' && code < 127) return static_cast<char32_t>(code);
    if (code >= first_upper && code <= max_code) return latin2_upper[code - first_upper];
    return 0;
}

std::string utf8(char32_t c) {
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

constexpr char32_t soft_hyphen = 0x00ad;

// Invisible characters (the soft hyphen) may be named as U+XXXX instead.
std::string unicode_notation(char32_t c) {
    std::ostringstream out;
    out << "U+" << std::uppercase << std::hex << std::setw(4) << std::setfill('0')
        << static_cast<std::uint32_t>(c);
    return out.str();
}

std::string comment_name(int code) {
    const char32_t character = printable_character(code);
    if (character == 0) return "";
    return ' ' + (character == soft_hyphen ? unicode_notation(character) : utf8(character));
}

bool parse_int(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && last == end;
}

bool is_art_row(const std::string& line) {
    return !line.empty() && (line[0] == '.' || line[0] == '#');
}

std::uint32_t parse_art_row(const std::string& line, int line_number) {
    std::uint32_t word = 0;
    for (std::size_t column = 0; column < line.size(); ++column) {
        const char c = line[column];
        if (c != '.' && c != '#')
            throw font_error(line_number, std::string("unknown character '") + c +
                                              "' in art row (use '#' and '.')");
        if (c == '#' && column < cell_columns) word |= 0xfu << (4 * column);
    }
    if (line.size() != cell_columns)
        throw font_error(line_number, "art row has " + std::to_string(line.size()) +
                                          " columns, expected " + std::to_string(cell_columns));
    return word;
}

std::vector<std::string> split_words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// One art block being read: a glyph (exactly 17 rows) or a mark (1 to 17 rows).
struct open_block {
    bool is_glyph = false;
    int code = 0;
    std::string name;
    int header_line = 0;
    rows_t rows;
};

class font_builder {
public:
    void read_line(std::string line, int line_number) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (line.empty() || line.rfind("//", 0) == 0) return;
        if (is_art_row(line)) {
            add_row(line, line_number);
            return;
        }
        close_block();
        const std::vector<std::string> words = split_words(line);
        if (words[0] == "glyph")
            start_glyph(words, line_number);
        else if (words[0] == "mark")
            start_mark(words, line_number);
        else
            throw font_error(line_number, "unrecognised line: expected 'glyph', 'mark', "
                                          "an art row or a '//' comment");
    }

    void finish() { close_block(); }

    void write(std::ostream& out) const {
        out << "// Generated by fontgen from font.txt: edit the glyph art there.\n"
               "// One entry per character code, one word per pixel row (top first);\n"
               "// column k is the 4-bit intensity at bits 4k..4k+3, column 0 leftmost.\n"
               "constexpr std::uint32_t charfaces[256][17] = {\n";
        for (int code = 0; code <= max_code; ++code) {
            out << "    /* " << code << comment_name(code) << " */ {";
            for (int row = 0; row < cell_rows; ++row) {
                out << (row ? ", " : "") << "0x" << std::hex << std::setw(8)
                    << std::setfill('0') << faces_[code][row] << std::dec;
            }
            out << "},\n";
        }
        out << "};\n";
    }

private:
    void add_row(const std::string& line, int line_number) {
        if (block_.header_line == 0)
            throw font_error(line_number, "art row outside a glyph or mark block");
        if (static_cast<int>(block_.rows.size()) == cell_rows)
            throw font_error(line_number, "too many rows in '" + block_.name + "', expected " +
                                              std::to_string(cell_rows) + " at most");
        block_.rows.push_back(parse_art_row(line, line_number));
    }

    void start_glyph(const std::vector<std::string>& words, int line_number) {
        if (words.size() < 3)
            throw font_error(line_number, "expected 'glyph CODE CHARACTER [= PARTS]'");
        int code = 0;
        if (!parse_int(words[1], code) || code < 0 || code > max_code)
            throw font_error(line_number, "bad code '" + words[1] + "', expected 0 to 255");
        const char32_t character = printable_character(code);
        if (character == 0)
            throw font_error(line_number, "code " + words[1] + " is blank and takes no glyph");
        if (words[2] != utf8(character) && words[2] != unicode_notation(character))
            throw font_error(line_number, "code " + words[1] + " is '" + utf8(character) +
                                              "', not '" + words[2] + "'");
        if (defined_[code])
            throw font_error(line_number, "duplicate code " + words[1]);
        if (words.size() == 3) {
            block_ = open_block{true, code, words[2], line_number, {}};
            return;
        }
        if (words[3] != "=")
            throw font_error(line_number, "expected '=' after the character");
        store_glyph(code, words[2], compose(words, 4, line_number));
    }

    void start_mark(const std::vector<std::string>& words, int line_number) {
        if (words.size() != 2) throw font_error(line_number, "expected 'mark NAME'");
        if (words[1].size() < 2)
            throw font_error(line_number, "mark names are words, '" + words[1] + "' is too short");
        if (marks_.count(words[1]) != 0)
            throw font_error(line_number, "duplicate mark '" + words[1] + "'");
        block_ = open_block{false, 0, words[1], line_number, {}};
    }

    void close_block() {
        if (block_.header_line == 0) return;
        const int rows = static_cast<int>(block_.rows.size());
        if (block_.is_glyph && rows != cell_rows)
            throw font_error(block_.header_line, "glyph '" + block_.name + "' has " +
                                                     std::to_string(rows) + " rows, expected " +
                                                     std::to_string(cell_rows));
        if (rows == 0)
            throw font_error(block_.header_line, "mark '" + block_.name + "' has no rows");
        if (block_.is_glyph) {
            face_t face{};
            std::copy(block_.rows.begin(), block_.rows.end(), face.begin());
            store_glyph(block_.code, block_.name, face);
        } else {
            marks_[block_.name] = block_.rows;
        }
        block_ = open_block{};
    }

    void store_glyph(int code, const std::string& name, const face_t& face) {
        defined_[code] = true;
        faces_[code] = face;
        glyph_codes_[name] = code;
    }

    // PARTS: NAME[@ROW[,SHIFT]] joined by '+'; a NAME is a mark or an earlier glyph's
    // character, placed with its first row at ROW and moved SHIFT columns right.
    face_t compose(const std::vector<std::string>& words, std::size_t first,
                   int line_number) const {
        face_t face{};
        bool expect_part = true;
        for (std::size_t i = first; i < words.size(); ++i, expect_part = !expect_part) {
            if (!expect_part) {
                if (words[i] != "+") throw font_error(line_number, "expected '+' between parts");
                continue;
            }
            overlay(face, words[i], line_number);
        }
        if (expect_part) throw font_error(line_number, "missing part after '=' or '+'");
        return face;
    }

    void overlay(face_t& face, const std::string& part, int line_number) const {
        const std::size_t at = part.find('@');
        const std::string name = part.substr(0, at);
        int row = 0;
        int shift = 0;
        if (at != std::string::npos) parse_placement(part.substr(at + 1), row, shift, line_number);
        const rows_t rows = part_rows(name, line_number);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] == 0) continue;
            const int target = row + static_cast<int>(i);
            if (target >= cell_rows)
                throw font_error(line_number, "'" + part + "' runs below the cell");
            face[target] |= shifted_row(rows[i], shift, part, line_number);
        }
    }

    static std::uint32_t shifted_row(std::uint32_t word, int shift, const std::string& part,
                                     int line_number) {
        std::uint32_t moved = 0;
        for (int column = 0; column < cell_columns; ++column) {
            const std::uint32_t pixel = (word >> (4 * column)) & 0xfu;
            const int target = column + shift;
            if (pixel == 0) continue;
            if (target < 0 || target >= cell_columns)
                throw font_error(line_number, "'" + part + "' shifts ink out of the cell");
            moved |= pixel << (4 * target);
        }
        return moved;
    }

    static void parse_placement(const std::string& text, int& row, int& shift, int line_number) {
        const std::size_t comma = text.find(',');
        const bool row_ok = parse_int(text.substr(0, comma), row) && row >= 0 && row < cell_rows;
        const bool shift_ok = comma == std::string::npos ||
                              (parse_int(text.substr(comma + 1), shift) &&
                               shift > -cell_columns && shift < cell_columns);
        if (!row_ok || !shift_ok)
            throw font_error(line_number, "bad placement '@" + text + "', expected @ROW or @ROW,SHIFT");
    }

    rows_t part_rows(const std::string& name, int line_number) const {
        if (const auto mark = marks_.find(name); mark != marks_.end()) return mark->second;
        if (const auto glyph = glyph_codes_.find(name); glyph != glyph_codes_.end()) {
            const face_t& face = faces_[glyph->second];
            return rows_t(face.begin(), face.end());
        }
        throw font_error(line_number, "unknown accent or base '" + name + "'");
    }

    std::array<face_t, max_code + 1> faces_{};
    std::array<bool, max_code + 1> defined_{};
    std::map<std::string, rows_t> marks_;
    std::map<std::string, int> glyph_codes_;
    open_block block_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fontgen INPUT OUTPUT\n";
        return 2;
    }
    std::ifstream input(argv[1]);
    if (!input) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    font_builder font;
    int line_number = 0;
    try {
        for (std::string line; std::getline(input, line);) font.read_line(line, ++line_number);
        font.finish();
    } catch (const font_error& error) {
        std::cerr << argv[1] << ':' << error.line << ": " << error.what() << '\n';
        return 1;
    }
    std::ostringstream table;
    font.write(table);
    std::ofstream output(argv[2], std::ios::binary);
    if (!(output << table.str())) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
