// easel: one window, a pen on it, and input as one uniform event record.
//
//     gout.open(200, 200);
//     gout << move_to(10, 10) << color(255, 0, 0) << line_to(90, 90) << refresh;
//     event ev;
//     while (gin >> ev) { ... }
//
// Coordinates are pixels, origin at the top-left corner, x to the right, y downwards.
// Colours are three ints; only the low 8 bits of each count (256 gives 0, -1 gives 255).
// Nothing here throws or prints: failures show as a false result or as nothing drawn. The one
// exception: if SDL cannot start when gout is first used, the program ends at once, silently, with
// exit status 1.
//
// This file is the reference, read top to bottom: canvases, the screen, input, typed text, drawing
// commands. The machinery behind it (inline fast paths, argument conversion) is in
// graphics_detail.hpp, included at the end; programs never need it.
//
// Threads: the window (gout), the input (gin) and the timer belong to the thread that opened the
// window. Other threads may draw on and save off-screen canvases, several at once, as long as
// each canvas (with its copies, which share its pixels) is used by one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <type_traits>

struct SDL_Surface;

namespace easel {

namespace detail {
struct canvas_internals;
struct arg;
}  // namespace detail

// ---------------------------------------------------------------------------------------------
// Canvases: a 32-bit pixel surface (0x00RRGGBB) with a pen (position and colour).
// ---------------------------------------------------------------------------------------------

class canvas {
public:
    // No surface yet; white pen at (0, 0). Every drawing call is harmless until open succeeds.
    canvas();
    // An off-screen canvas of w x h pixels; see open.
    canvas(int w, int h);
    // Copies share the surface, which is freed with the last canvas that uses it. The window stays
    // the window: assigning a canvas to it (through a canvas&; gout = c does not compile) changes
    // nothing.
    canvas(const canvas& other);
    canvas& operator=(const canvas& other);
    virtual ~canvas();

    // Off-screen surface of width x height pixels, black, pen at (width / 2, height / 2).
    // False (and no surface) when the size is 0, above 16383 wide or 32767 high, or SDL refuses it.
    // The surface used before is given up. On the window, reached through a canvas&, this opens the
    // window again, as gout.open(width, height) does.
    bool open(unsigned width, unsigned height);

    // Sets the pen colour to (r mod 256, g mod 256, b mod 256).
    void set_color(int r, int g, int b);
    // Moves the pen by (x, y) if the target lies inside the canvas; otherwise false, pen unchanged.
    bool move_point(int x, int y);
    // Sets the pixel under the pen to the pen colour.
    void draw_dot();
    // Draws from the pen along (x, y), both ends included; stops at the edge. The pen follows.
    void draw_line(int x, int y);
    // Fills the rectangle spanned by the pen and pen + (x, y), both corners included, and moves the
    // pen to the far corner. Draws nothing and keeps the pen when the far corner lies outside.
    void draw_box(int x, int y);

    // Draws str with the built-in 8 x 17 font at the pen, the pen's row being the baseline, blended
    // into what is there. '\n' returns to the starting column one line (17 rows) lower. Text whose
    // first line does not fit vertically is not drawn; drawing stops silently at the right edge.
    //
    // How the bytes are read: a string that is well-formed UTF-8 and holds at least one multi-byte
    // character is read as UTF-8 (what an editor saves: text("Árvíztűrő")); every other string is
    // read byte by byte, each byte an ISO-8859-2 code (text("\xC1rv\xEDzt\xFBr\xF5") draws the
    // same word). Every character takes one 8-pixel cell; a UTF-8 character the font lacks
    // (the euro sign, typographic quotes, ...) draws a boxed question mark. A rare ISO-8859-2
    // byte string is also well-formed UTF-8 (the capitals "DÓŁ", bytes 0x44 0xD3 0xA3, read as
    // 'D' and one other character): draw such a string with latin2(...) instead of text(...).
    void draw_text(const std::string& str);
    // Rows of a text line above the baseline row (13) and on or below it (4).
    int cascent() const;
    int cdescent() const;
    // Width in pixels of the widest line of s, read as draw_text reads it: 8 per character
    // (INT_MAX for a line too wide for an int). A string for latin2 takes 8 per byte.
    int twidth(const std::string& s) const;

    // Black pixels of this canvas are left out when another canvas copies from it (see blitfrom).
    void transparent(bool on);
    // Copies the rectangle (x1, y1, width x height) of c to (x3, y3) on this canvas. -1 in x1 or y1
    // means 0, -1 in width or height the full width or height of c; any other negative width or
    // height copies nothing. Both rectangles are clipped to their canvases. If c is transparent,
    // black in c becomes see-through from then on, for this and every later copy from c.
    void blitfrom(const canvas& c, int x1, int y1, int width, int height, int x3, int y3);

    // Writes the canvas to a file: a PNG when the name ends in .png (any case), a BMP otherwise; false if the file cannot be written, and then a file that
    // was there is left as it was. Only a regular file is saved over (through a link to one, which
    // stays a link); a FIFO, a device, a directory or a dangling link is refused and left alone.
    // A file-size limit (ulimit -f) makes the save fail rather than end the program, and a save
    // cut short by a second SIGINT or SIGTERM leaves no temporary file behind.
    bool save(const std::string& file) const;

    // Shows what was drawn; on an off-screen canvas it does nothing.
    virtual void refresh();

    int x() const { return pt_x; }
    int y() const { return pt_y; }

protected:
    int pt_x;
    int pt_y;
    SDL_Surface* buf;
    int draw_clr;
    bool transp;

private:
    // The library's own state and helpers behind the inline paths (graphics_detail.hpp).
    friend struct detail::canvas_internals;
    friend class groutput;
    bool move_by(long long x, long long y);
    void trace_line(long long dx, long long dy);
    bool is_window() const;
    void draw_cells(const std::string& str, bool as_utf8);
    void attach(SDL_Surface* surface);
    void attach_copy(SDL_Surface* surface);
    void draw_dot_locked();
    // Pixels are a type of their own and no field of the view is an int, so that the compiler knows
    // a pixel store leaves the pen, the colour and the view as they were.
    struct pixel_word {
        std::uint32_t value;
    };
    struct pixel_view {
        pixel_word* pixels;  // none without a surface, or where SDL wants it locked for each access
        std::ptrdiff_t width, height;
        std::ptrdiff_t stride;  // pixels from one row to the next
    } view;
    // What the inline paths keep to explain (canvas_internals::keep in graphics_detail.hpp).
    struct kept_explanation {
        int command, pen_x, first, second, pen_y, third;  // the pen's fields apart: see keep
    };
    mutable struct explanation_log {
        kept_explanation kept[12];
        int count;
        int room[3];  // how many more of each kind it keeps: 0 once none can be told
    } explanations;
};

// ---------------------------------------------------------------------------------------------
// The screen: the one window, reached through gout.
// ---------------------------------------------------------------------------------------------

class groutput : public canvas {
public:
    static groutput& instance();

    // Opens the window (full screen on request), black, pen at (width / 2, height / 2).
    // False when no window could be made (as for canvases, at most 16383 x 32767). May be called
    // again; the pen colour is kept.
    bool open(unsigned width, unsigned height, bool fullscreen = false);
    // Gives the window a title, shown in its title bar and the task bar (a page shows it as its
    // heading); read as draw_text reads text, so title("Árvíztűrő") works. Before or after open;
    // without it the window has none.
    void title(const std::string& text);
    // Presents everything drawn since the last refresh.
    void refresh() override;
    // Shuts SDL down at process exit, unless the display has gone away (shutting down would then
    // wait on it for ever).
    virtual ~groutput();

    groutput(const groutput&) = delete;
    groutput& operator=(const groutput&) = delete;

private:
    groutput();
};

// Bound before any object defined after this header in any file, so gout can be used from
// static initialisers; the screen (and SDL) starts on first use, once.
inline groutput& gout = groutput::instance();

// ---------------------------------------------------------------------------------------------
// Input: keyboard, mouse and timer as one record, read with gin >> ev.
// ---------------------------------------------------------------------------------------------

enum event_type { ev_key = 1, ev_mouse = 2, ev_timer = 3 };

enum button_t { btn_left = 1, btn_middle = 2, btn_right = 3, btn_wheelup = 4, btn_wheeldown = 5 };

// Characters carry their own code (Windows-1250 for the letters it places above U+00FF).
enum keycode_t {
    key_backspace = 8,
    key_tab = 9,
    key_enter = 13,
    key_escape = 27,
    key_space = 32,

    key_up = 0x10000,
    key_down,
    key_right,
    key_left,
    key_insert,
    key_delete,
    key_home,
    key_end,
    key_pgup,
    key_pgdn,
    key_lshift,
    key_rshift,
    key_lctrl,
    key_rctrl,
    key_lalt,
    key_ralt,
    key_lwin,
    key_rwin,
    key_menu,
    key_numl,
    key_capsl,
    key_scrl,

    key_f0 = 0x20000,
    key_f1,
    key_f2,
    key_f3,
    key_f4,
    key_f5,
    key_f6,
    key_f7,
    key_f8,
    key_f9,
    key_f10,
    key_f11,
    key_f12,
    key_f13,
    key_f14,
    key_f15,
};

// Every read clears all six fields first; the fields an event does not fill stay 0.
struct event {
    int keycode;  // key code, negative for a release; 0 for other events
    int pos_x;    // mouse column in the window (mouse events)
    int pos_y;    // mouse row in the window (mouse events)
    int button;   // button_t, negative for a release; 0 for motion and other events
    int time;     // milliseconds since start when the (latest) timer tick fired (timer events only)
    int type;     // event_type
};

class grinput {
public:
    static grinput& instance();

    // Waits for the next key, mouse or timer event and fills ev. Closing the window, SIGINT and
    // SIGTERM (unless the program handles them itself) end the stream at the next read, ahead of
    // any input still waiting; from then on it returns at once with ev all zero. A second SIGINT
    // or SIGTERM before that read ends the program.
    grinput& wait_event(event& ev);
    // False once the window has been closed (or a stop signal has been read).
    operator void const*() const;
    // Timer events every wait milliseconds from now on; wait <= 0 stops them. SDL rounds the period
    // up to a multiple of 10 ms: timer(15) ticks every 20 ms. Ticks never pile up: at most one waits
    // to be read, and a program slower than its timer gets, in that one, the time of the latest tick
    // that fired before the read. Keys and clicks are read in the order they came, and a waiting
    // tick never goes ahead of those that came before it was due: a program slower than its timer
    // still gets all of them, between its ticks.
    void timer(int wait);

    // Whether a key is down now (key_right, 'a', key_space, ...): true from its press until its
    // release, read or not, so that holding a key can move something on every timer tick. A
    // letter's key counts with and without Shift ('a' and 'A'). Known from the events that
    // gin >> ev has taken, so it changes only while the program reads events.
    bool key_held(int keycode) const;
    // Whether a mouse button (btn_left, btn_middle, btn_right) is down now, known the same way.
    bool button_held(int button) const;

    grinput(const grinput&) = delete;
    grinput& operator=(const grinput&) = delete;

private:
    grinput();
    bool quit;
};

// Bound like gout.
inline grinput& gin = grinput::instance();

inline grinput& operator>>(grinput& inp, event& ev) { return inp.wait_event(ev); }

// ---------------------------------------------------------------------------------------------
// Typed text: a text box in three lines.
//
//     if (ev.keycode == key_backspace) erase_last_char(s);
//     else s += keytext(ev.keycode);
//     gout << move_to(10, 30) << text(s) << refresh;
// ---------------------------------------------------------------------------------------------

// The UTF-8 text of a character key's code, so that every typed letter the font has shows as
// itself in text(...). Codes 128 to 255 are read as Windows-1250, as keys deliver them. Empty for
// a release, a special key, 0, and the control keys (Backspace, Tab, Enter, Escape): test for
// those by their code.
std::string keytext(int keycode);

// Removes the last character of s as text reads it (all the bytes of a UTF-8 character), so that
// Backspace never leaves half a character; nothing when s is empty.
void erase_last_char(std::string& s);

// ---------------------------------------------------------------------------------------------
// Drawing commands, streamed into a canvas: gout << move_to(10, 10) << line(5, 0) << refresh.
// Plain names take a vector from the pen; names ending in _to an absolute position, turned into
// a vector when the command is applied.
//
// Every number a command takes may be of any arithmetic type; a floating one is truncated toward
// zero. A floating number that no int holds (NaN, infinite, out of range) makes the command do
// nothing, as a target outside the canvas does; as a colour component it counts modulo 256 (NaN
// and infinities give 0). Integer positions are kept bit for bit, so a negative one is refused.
// ---------------------------------------------------------------------------------------------

// Applies a command, or a function taking the canvas, and returns the canvas for chaining.
// Anything else does not compile, with a message saying what to write instead.
template <typename T>
canvas& operator<<(canvas& out, T oper);
// gout << std::endl does not compile: std::endl is for std::cout; refresh shows what was drawn.
template <typename Never = void>
canvas& operator<<(canvas& out, std::ostream& (*)(std::ostream&));

// Sets the pen colour; see set_color.
struct color {
    int red, green, blue;
    color(detail::arg r, detail::arg g, detail::arg b);
    void operator()(canvas& out) const;
};

// Moves the pen by (x, y); see move_point.
struct move {
    int vec_x, vec_y;
    bool refused;
    move(detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// Moves the pen to (x, y) if that lies inside the canvas.
struct move_to {
    int pos_x, pos_y;
    bool refused;
    move_to(detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// A line from the pen along (x, y); see draw_line.
struct line {
    int vec_x, vec_y;
    bool refused;
    line(detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// A line from the pen to (x, y), along its true slope; it stops at the edge.
struct line_to {
    int pos_x, pos_y;
    bool refused;
    line_to(detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// A filled box from the pen to pen + (x, y); see draw_box.
struct box {
    int vec_x, vec_y;
    bool refused;
    box(detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// A filled box from the pen to (x, y); nothing when (x, y) lies outside.
struct box_to {
    int pos_x, pos_y;
    bool refused;
    box_to(detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// Text at the pen, UTF-8 or ISO-8859-2 bytes; see draw_text.
struct text {
    std::string str;
    text(const std::string& s);
    text(char c);
    // A number does not compile here (text(1234) would draw the one character of that code):
    // text(std::to_string(n)) draws its digits.
    template <typename T, std::enable_if_t<(std::is_arithmetic_v<T> || std::is_enum_v<T>) && !std::is_same_v<T, char>,
                                           bool> = true>
    text(T) {
        static_assert(!sizeof(T), "easel: a number is drawn as text: write text(std::to_string(n))");
    }
    void operator()(canvas& out) const;
};

// Text read byte by byte, each byte an ISO-8859-2 code, even where it is also well-formed UTF-8.
struct latin2 {
    std::string str;
    latin2(const std::string& s);
    void operator()(canvas& out) const;
};

// Copies a rectangle of c (or all of it) onto the canvas it is streamed into; see blitfrom. x2 and
// y2 hold the width and the height.
struct stamp {
    canvas& c;
    int x1, y1, x2, y2, x3, y3;
    bool refused;
    stamp(canvas& src, detail::arg sx, detail::arg sy, detail::arg width, detail::arg height, detail::arg x,
          detail::arg y);
    // The whole of src with its top-left corner at (x, y).
    stamp(canvas& src, detail::arg x, detail::arg y);
    void operator()(canvas& out) const;
};

// Sets the pixel under the pen.
void dot(canvas& out);
// Shows the screen; does nothing on an off-screen canvas.
void refresh(canvas& out);

}  // namespace easel

#include "graphics_detail.hpp"
