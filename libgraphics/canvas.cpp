// Canvases: surfaces, the pen, dots, lines, boxes and copies between canvases, and what the
// library explains about them.
#include "graphics.hpp"

#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>

#include "explain.hpp"
#include "library_internal.hpp"
#include "platform.hpp"
#include "sdl_rules.hpp"

namespace easel {

using internal::as_asked;
using internal::explain_open_refused;
using internal::fits;
using internal::not_open_advice;
using internal::pen_on;
using internal::pixel;
using internal::pixel_access;
using internal::point;
using internal::tell_kept;

namespace {

// A copy from a surface onto itself of rectangles already clipped to it, giving the source as it
// was before the copy: directly when they do not overlap, else through a scratch copy of the
// source rectangle alone.
void copy_within(SDL_Surface* s, SDL_Rect source, SDL_Rect target) {
    const int left = source.x, top = source.y, w = source.w, h = source.h;
    const bool overlap = target.x < left + w && left < target.x + w && target.y < top + h && top < target.y + h;
    if (!overlap) {
        SDL_BlitSurface(s, &source, s, &target);
        return;
    }
    const SDL_PixelFormat* f = s->format;
    SDL_Surface* scratch = SDL_CreateRGBSurface(0, w, h, 32, f->Rmask, f->Gmask, f->Bmask, f->Amask);
    if (!scratch) return;
    {
        const pixel_access access(s);
        if (!access) {
            SDL_FreeSurface(scratch);
            return;
        }
        for (int row = 0; row < h; ++row)
            std::copy_n(&pixel(s, left, top + row), w, &pixel(scratch, 0, row));
    }
    if (s->flags & SDL_SRCCOLORKEY) SDL_SetColorKey(scratch, SDL_SRCCOLORKEY, f->colorkey);
    SDL_BlitSurface(scratch, nullptr, s, &target);
    SDL_FreeSurface(scratch);
}

// Copies of a canvas share its off-screen surface through SDL's own reference count; the window's
// surface is SDL's alone.
SDL_Surface* share(SDL_Surface* s) {
    if (s && s != SDL_GetVideoSurface()) ++s->refcount;
    return s;
}

void release(SDL_Surface* s) {
    if (s != SDL_GetVideoSurface()) SDL_FreeSurface(s);
}

// One axis of a copy, clipped to both surfaces the way SDL clips, but in full integer arithmetic:
// the start in the source, the length and the start in the target. False when nothing is left.
bool clip_span(long long& from, long long& length, long long& to, int source_size, int target_size) {
    if (from < 0) {
        length += from;
        to -= from;
        from = 0;
    }
    if (to < 0) {
        length += to;
        from -= to;
        to = 0;
    }
    length = std::min({length, source_size - from, target_size - to});
    return length > 0;
}

// Whether every pixel of the rectangle, which lies inside the surface, is black.
bool all_black(SDL_Surface* s, long long x, long long y, long long width, long long height) {
    const pixel_access access(s);
    if (!access) return false;
    for (long long row = y; row < y + height; ++row)
        for (long long col = x; col < x + width; ++col)
            if ((pixel(s, static_cast<int>(col), static_cast<int>(row)) & 0xFFFFFFu) != 0) return false;
    return true;
}

}  // namespace

std::string internal::not_open_advice(bool window) {
    return window ? "nothing is drawn until gout.open(width, height) has returned true"
                  : "nothing is drawn on a canvas until its open(width, height) has returned true";
}

std::string internal::point(long long x, long long y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

void internal::explain_open_refused(const std::string& call, unsigned width, unsigned height) {
    if (!explain::on()) return;
    if (!fits(width, height))
        return explain::say(explain::kind::open_refused,
                            call + " failed: width and height must be at least 1 and at most " +
                                std::to_string(sdl_rules::widest_surface) + " x " +
                                std::to_string(sdl_rules::highest_surface));
    const std::string reason = platform::sdl_error();
    explain::say(explain::kind::open_refused,
                 call + " failed: " + (reason.empty() ? "SDL could not make it" : reason));
}

canvas::canvas()
    : pt_x(0), pt_y(0), buf(nullptr), draw_clr(0xFFFFFF), transp(false), view{nullptr, 0, 0, 0}, explanations{} {
    detail::canvas_internals::make_room(*this);
}

canvas::canvas(int w, int h) : canvas() { open(static_cast<unsigned>(w), static_cast<unsigned>(h)); }

canvas::canvas(const canvas& other)
    : pt_x(other.pt_x), pt_y(other.pt_y), buf(nullptr), draw_clr(other.draw_clr), transp(other.transp),
      explanations{} {
    detail::canvas_internals::make_room(*this);
    attach_copy(share(other.buf));
}

canvas& canvas::operator=(const canvas& other) {
    // The window keeps its own surface, also when reached through a canvas&.
    if (is_window()) return *this;
    tell_kept(*this);
    SDL_Surface* const old = buf;
    pt_x = other.pt_x;
    pt_y = other.pt_y;
    attach_copy(share(other.buf));
    draw_clr = other.draw_clr;
    transp = other.transp;
    release(old);
    return *this;
}

// A copy of the window's canvas reaches the pixels through the surface each time: when the window
// is opened again, SDL moves them.
void canvas::attach_copy(SDL_Surface* surface) {
    attach(surface);
    if (surface && surface == SDL_GetVideoSurface()) view.pixels = nullptr;
}

canvas::~canvas() {
    tell_kept(*this);
    release(buf);
}

bool canvas::is_window() const { return dynamic_cast<const groutput*>(this) != nullptr; }

bool canvas::open(unsigned width, unsigned height) {
    if (is_window()) return static_cast<groutput*>(this)->open(width, height);
    tell_kept(*this);
    SDL_Surface* fresh = fits(width, height) ? SDL_CreateRGBSurface(SDL_SRCCOLORKEY, static_cast<int>(width),
                                                                   static_cast<int>(height), 32, 0, 0, 0, 0)
                                             : nullptr;
    if (fresh && !as_asked(fresh, width, height)) {
        SDL_FreeSurface(fresh);
        fresh = nullptr;
    }
    if (!fresh) explain_open_refused("open(" + std::to_string(width) + ", " + std::to_string(height) + ")", width, height);
    release(buf);
    attach(fresh);
    pt_x = static_cast<int>(width / 2);
    pt_y = static_cast<int>(height / 2);
    return buf != nullptr;
}

void canvas::attach(SDL_Surface* surface) {
    buf = surface;
    view = {nullptr, 0, 0, 0};
    if (!surface) return;
    view.width = surface->w;
    view.height = surface->h;
    view.stride = surface->pitch / 4;
    if (!SDL_MUSTLOCK(surface)) view.pixels = static_cast<pixel_word*>(surface->pixels);
}

void canvas::draw_dot_locked() {
    tell_kept(*this);
    if (!buf) explain::say(explain::kind::no_surface, "dot before open: " + not_open_advice(is_window()));
    if (!pen_on(buf, pt_x, pt_y)) return;
    const pixel_access access(buf);
    if (access) pixel(buf, pt_x, pt_y) = static_cast<Uint32>(draw_clr);
}

void canvas::draw_line(int x, int y) { trace_line(x, y); }

// Bresenham-style stepping whose error term starts at 0: after k main steps the pen has made
// floor(k * shifts / steps) side steps. Along each axis the points inside the canvas are then a
// prefix of the line, so the stop at the edge is worked out first and the points are stored
// without a test each.
void canvas::trace_line(long long dx, long long dy) {
    tell_kept(*this);
    if (!pen_on(buf, pt_x, pt_y)) return;
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;
    const bool x_major = adx >= ady;
    const long long steps = x_major ? adx : ady;
    const long long shifts = x_major ? ady : adx;
    // Points the pen can move in the direction of each axis before it would leave the canvas.
    const long long room_x = dx > 0 ? buf->w - 1 - pt_x : pt_x;
    const long long room_y = dy > 0 ? buf->h - 1 - pt_y : pt_y;
    const long long main_room = x_major ? room_x : room_y;
    const long long side_room = x_major ? room_y : room_x;
    long long drawn = std::min(steps, main_room);
    if (shifts > 0) drawn = std::min(drawn, ((side_room + 1) * steps - 1) / shifts);

    const std::ptrdiff_t x_off = dx > 0 ? 1 : -1;
    const std::ptrdiff_t y_off = dy > 0 ? buf->pitch / 4 : -(buf->pitch / 4);
    const std::ptrdiff_t main_off = x_major ? x_off : y_off;
    const std::ptrdiff_t side_off = x_major ? y_off : x_off;
    const auto clr = static_cast<Uint32>(draw_clr);
    const pixel_access access(buf);
    if (!access) return;
    Uint32* p = &pixel(buf, pt_x, pt_y);
    *p = clr;
    long long len = 0;
    for (long long k = 0; k < drawn; ++k) {
        len += shifts;
        if (len >= steps) {
            len -= steps;
            p += side_off;
        }
        p += main_off;
        *p = clr;
    }

    // The pen ends on the last point drawn; both moves are within the canvas.
    const long long side_steps = drawn > 0 ? drawn * shifts / steps : 0;
    pt_x += static_cast<int>((dx > 0 ? 1 : -1) * (x_major ? drawn : side_steps));
    pt_y += static_cast<int>((dy > 0 ? 1 : -1) * (x_major ? side_steps : drawn));
}

void canvas::draw_box(int x, int y) {
    tell_kept(*this);
    if (!pen_on(buf, pt_x, pt_y)) return;
    const pixel_access access(buf);
    if (!access) return;
    const int x0 = pt_x;
    const int y0 = pt_y;
    // A copy of the window checks its far corner against the window as it is now.
    if (!move_point(x, y) || !pen_on(buf, pt_x, pt_y)) return;
    // The far corner is inside, so the whole rectangle is. Rows are filled with plain stores:
    // the same pixels as SDL_FillRect, which costs about as much as copying the whole surface.
    const int left = x > 0 ? x0 : x0 + x;
    const int width = x > 0 ? x + 1 : 1 - x;
    const int top = y > 0 ? y0 : y0 + y;
    const int height = y > 0 ? y + 1 : 1 - y;
    for (int row = top; row < top + height; ++row)
        std::fill_n(&pixel(buf, left, row), width, static_cast<Uint32>(draw_clr));
}

void canvas::transparent(bool on) { transp = on; }

namespace {

using command_id = detail::canvas_internals::command_id;

const char* command_name(command_id command) {
    switch (command) {
        case command_id::move: return "move";
        case command_id::line: return "line";
        case command_id::box: return "box";
        case command_id::move_to: return "move_to";
        case command_id::line_to: return "line_to";
        case command_id::box_to: return "box_to";
        default: return "color";
    }
}

void explain_colour(int red, int green, int blue) {
    const auto low = [](int v) { return std::to_string(static_cast<unsigned>(v) & 255u); };
    explain::say(explain::kind::colour_wraps,
                 "color(" + std::to_string(red) + ", " + std::to_string(green) + ", " + std::to_string(blue) +
                     "): each value counts from 0 to 255 and wraps around beyond, so this is color(" + low(red) +
                     ", " + low(green) + ", " + low(blue) + ")");
}

}  // namespace

// A refused command named as written, with where it led from the pen it met; the surface is the
// one it met, as every call that replaces it tells what was kept first.
void detail::canvas_internals::explain_refused(const canvas& out, const canvas::kept_explanation& k) {
    const auto command = static_cast<command_id>(k.command);
    const bool is_box = command == command_id::box || command == command_id::box_to;
    const auto kind = !out.buf ? explain::kind::no_surface
                      : is_box ? explain::kind::box_not_drawn
                               : explain::kind::move_refused;
    if (!explain::wanted(kind)) return;
    const std::string call =
        std::string(command_name(command)) + "(" + std::to_string(k.first) + ", " + std::to_string(k.second) + ")";
    if (!out.buf) return explain::say(kind, call + " before open: " + not_open_advice(out.is_window()));
    const bool absolute =
        command == command_id::move_to || command == command_id::line_to || command == command_id::box_to;
    const long long x = absolute ? k.first : static_cast<long long>(k.pen_x) + k.first;
    const long long y = absolute ? k.second : static_cast<long long>(k.pen_y) + k.second;
    const std::string inside = explain::canvas_size(out.is_window(), out.buf->w, out.buf->h) + " (x from 0 to " +
                               std::to_string(out.buf->w - 1) + ", y from 0 to " + std::to_string(out.buf->h - 1) + ")";
    const std::string pen = point(k.pen_x, k.pen_y);
    if (is_box)
        explain::say(kind, call + " from " + pen + " is not drawn: its far corner " + point(x, y) +
                               " lies outside, and " + inside);
    else
        explain::say(kind, call + " refused: " + point(x, y) + " lies outside, and " + inside +
                               "; the pen stays at " + pen);
}

void detail::canvas_internals::tell_kept(const canvas& out) {
    auto& log = out.explanations;
    for (int i = 0; i < log.count; ++i) {
        const canvas::kept_explanation& k = log.kept[i];
        if (static_cast<command_id>(k.command) == command_id::color)
            explain_colour(k.first, k.second, k.third);
        else
            explain_refused(out, k);
    }
    log.count = 0;
    make_room(out);
}

void detail::canvas_internals::make_room(const canvas& out) {
    // Every canvas makes room when it is made, so this is set before any is drawn on.
    [[maybe_unused]] static const bool wrapping_bits_set = (wrapping_bits = explain::on() ? ~255LL : 0, true);
    auto& log = out.explanations;
    static_assert(std::size(decltype(log.kept){}) == 3 * explain::lines_per_kind, "room for every kind");
    const auto room_for = [](bool wanted) { return wanted ? explain::lines_per_kind : 0; };
    log.room[kind_of(command_id::move)] =
        room_for(explain::wanted(explain::kind::move_refused) || explain::wanted(explain::kind::no_surface));
    log.room[kind_of(command_id::box)] =
        room_for(explain::wanted(explain::kind::box_not_drawn) || explain::wanted(explain::kind::no_surface));
    log.room[kind_of(command_id::color)] = room_for(explain::wanted(explain::kind::colour_wraps));
}

void canvas::blitfrom(const canvas& c, int x1, int y1, int x2, int y2, int x3, int y3) {
    tell_kept(c);
    tell_kept(*this);
    if (!buf || !c.buf) return;
    if (x1 == -1) x1 = 0;
    if (y1 == -1) y1 = 0;
    if (x2 == -1) x2 = c.buf->w;
    if (y2 == -1) y2 = c.buf->h;
    if (c.transp) SDL_SetColorKey(c.buf, SDL_SRCCOLORKEY, 0);
    long long sx = x1, sy = y1, width = x2, height = y2, tx = x3, ty = y3;
    if (!clip_span(sx, width, tx, c.buf->w, buf->w) || !clip_span(sy, height, ty, c.buf->h, buf->h)) return;
    if (c.transp && explain::on() && all_black(c.buf, sx, sy, width, height))
        explain::say(explain::kind::sprite_all_black,
                     "a stamp of a transparent " + std::to_string(c.buf->w) + " x " + std::to_string(c.buf->h) +
                         " canvas shows nothing: black is see-through in it, and the part copied is all black; "
                         "draw the sprite in other colours");
    // Clipped to surfaces that SDL can address, every value fits its rectangle field.
    SDL_Rect sr = {static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(width),
                   static_cast<Uint16>(height)};
    SDL_Rect tr = {static_cast<Sint16>(tx), static_cast<Sint16>(ty), sr.w, sr.h};
    if (buf == c.buf)
        copy_within(buf, sr, tr);
    else
        SDL_BlitSurface(c.buf, &sr, buf, &tr);
}

void canvas::refresh() { tell_kept(*this); }

}  // namespace easel
