// Explanations for what the library refuses without a word (a move off the canvas, text that does
// not fit, a save that fails, ...): with EASEL_EXPLAIN=1 in the environment, one short line on
// standard error for each, the first three of each kind, then one line saying that more are not
// shown. A drawing command's line (a refused move, a colour past 255) comes with the canvas's next
// refresh, save, wait for input or other out-of-line drawing call, at the latest when the canvas
// goes (the window's when the program ends). Nothing else changes: pictures, events and results
// are the same with it on. In a page it is on unless EASEL_EXPLAIN is 0, and the page shows the
// lines under the canvas.
#pragma once

#include <string>

namespace easel::explain {

enum class kind {
    text_off_canvas,
    move_refused,
    box_not_drawn,
    open_refused,
    no_surface,
    waits_for_nothing,
    save_failed,
    sprite_all_black,
    colour_wraps,
    count_of_kinds
};

// The lines one kind writes at most: the ones shown, then the one saying that more are not shown.
constexpr int shown_per_kind = 3;
constexpr int lines_per_kind = shown_per_kind + 1;

// Whether explanations are asked for; read once.
bool on();

// Whether a line of this kind would still be written: explanations are on and its last line (the
// one saying that more are not shown) is not written yet. Callers check it before building a line.
bool wanted(kind k);

// Writes "easel: LINE" for the first three of a kind, then once that more are not shown.
void say(kind k, const std::string& line);

// Pieces of the lines: a string as the program would write it (quoted, shortened), "the window" or
// "the canvas" with its size.
std::string quoted(const std::string& s);
std::string canvas_size(bool window, int width, int height);

}  // namespace easel::explain
