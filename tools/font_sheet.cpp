// font_sheet FILE.bmp: draws all 256 cells of the built-in font in a 16 x 16 grid labelled with
// hexadecimal codes, followed by sample lines in ISO-8859-2, and saves the picture as BMP.
// Run it headless with SDL_VIDEODRIVER=dummy.
#include <algorithm>
#include <cstdio>
#include <string>

#include "font_metrics.hpp"
#include "graphics.hpp"

using namespace easel;

namespace {

constexpr int glyph_width = font::cell_width;
constexpr int glyph_height = font::cell_height;
constexpr int ascent = font::ascent;  // rows of a cell above the pen's baseline row
constexpr int margin = 8;
constexpr int pitch_x = 16;  // grid cell: the glyph with a little room around it
constexpr int pitch_y = 21;
constexpr int cells = 16;
constexpr int row_label_width = 3 * glyph_width;
constexpr int grid_left = margin + row_label_width;
constexpr int grid_top = margin + 2 * glyph_height + 4;
constexpr int grid_size_x = cells * pitch_x;
constexpr int grid_size_y = cells * pitch_y;
constexpr int samples_top = grid_top + grid_size_y + 12;

// Pangrams in ISO-8859-2: Hungarian, Czech and Polish, each in small and capital letters.
const char* const samples[] = {
    "\xc1rv\xedzt\xfbr\xf5 t\xfck\xf6rf\xfar\xf3g\xe9p",  // Árvíztűrő tükörfúrógép
    "\xc1RV\xcdZT\xdbR\xd5 T\xdcK\xd6RF\xdaR\xd3G\xc9P",  // ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP
    "P\xf8\xedli\xb9 \xbelu\xbbou\xe8k\xfd k\xf9\xf2 \xfap\xecl \xef\xe1"
    "belsk\xe9 \xf3"
    "dy",  // Příliš žluťoučký kůň úpěl ďábelské ódy
    "P\xd8\xcdLI\xa9 \xaeLU\xabOU\xc8K\xdd K\xd9\xd2 \xdaP\xccL \xcf\xc1"
    "BELSK\xc9 \xd3"
    "DY",                                              // PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY
    "Za\xbf\xf3\xb3\xe6 g\xea\xb6l\xb1 ja\xbc\xf1",    // Zażółć gęślą jaźń
    "ZA\xaf\xd3\xa3\xc6 G\xca\xa6L\xa1 JA\xac\xd1",    // ZAŻÓŁĆ GĘŚLĄ JAŹŃ
};
constexpr int sample_count = sizeof samples / sizeof samples[0];

constexpr int sheet_height = samples_top + sample_count * glyph_height + margin;

const color background(255, 255, 255);
const color ink(0, 0, 0);
const color label(40, 80, 160);
const color rule(200, 200, 200);

char hex_digit(int value) { return "0123456789ABCDEF"[value]; }

// Text with the top of its cell at (left, top).
void put_text(canvas& sheet, int left, int top, const std::string& str) {
    sheet << move_to(left, top + ascent) << text(str);
}

void draw_rules(canvas& sheet) {
    sheet << rule;
    for (int i = 0; i <= cells; ++i) {
        sheet << move_to(grid_left + i * pitch_x, grid_top) << line(0, grid_size_y);
        sheet << move_to(grid_left, grid_top + i * pitch_y) << line(grid_size_x, 0);
    }
}

void draw_labels(canvas& sheet) {
    sheet << label;
    put_text(sheet, margin, margin, "Built-in 8x17 font, ISO-8859-2");
    const int inset_x = (pitch_x - glyph_width) / 2;
    for (int i = 0; i < cells; ++i) {
        put_text(sheet, grid_left + i * pitch_x + inset_x, grid_top - glyph_height - 2,
                 std::string(1, hex_digit(i)));
        put_text(sheet, margin, grid_top + i * pitch_y + 2, std::string{hex_digit(i), '0'});
    }
}

void draw_glyph_grid(canvas& sheet) {
    sheet << ink;
    const int inset_x = (pitch_x - glyph_width) / 2;
    const int inset_y = (pitch_y - glyph_height) / 2;
    for (int code = 0; code < cells * cells; ++code) {
        const int left = grid_left + (code % cells) * pitch_x + inset_x;
        const int top = grid_top + (code / cells) * pitch_y + inset_y;
        put_text(sheet, left, top, std::string(1, static_cast<char>(code)));
    }
}

void draw_samples(canvas& sheet) {
    sheet << ink;
    for (int i = 0; i < sample_count; ++i)
        put_text(sheet, margin, samples_top + i * glyph_height, samples[i]);
}

}  // namespace

// Wide enough for the grid and for the longest sample line.
int sheet_width() {
    const canvas measure;
    int widest = grid_left + grid_size_x + 1 - margin;
    for (const char* sample : samples) widest = std::max(widest, measure.twidth(sample));
    return margin + widest + margin;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: font_sheet FILE.bmp\n");
        return 2;
    }
    const int width = sheet_width();
    canvas sheet(width, sheet_height);
    sheet << background << move_to(0, 0) << box_to(width - 1, sheet_height - 1);
    draw_rules(sheet);
    draw_labels(sheet);
    draw_glyph_grid(sheet);
    draw_samples(sheet);
    if (!sheet.save(argv[1])) {
        std::fprintf(stderr, "font_sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
