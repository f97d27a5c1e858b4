#include "graphics.hpp"

#include <SDL.h>
#include <dlfcn.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "charset.hpp"
#include "font_metrics.hpp"
#include "explain.hpp"
#include "held_input.hpp"
#include "keytbl.hpp"
#include "png_writer.hpp"
#include "sdl_rules.hpp"

// Xlib's display, by the name Xlib gives it, for the type of its I/O error handler.
struct _XDisplay;

namespace easel {
namespace {

#include "charfaces.inc"

constexpr int charwidth = font::cell_width;
constexpr int charheight = font::cell_height;
constexpr int chardescent = font::descent;


SDL_TimerID timer_id = nullptr;
const event nullev = {};

// Locks the surface for direct pixel access where SDL requires it; false when the pixels cannot
// be reached, and then nothing may be drawn.
class pixel_access {
public:
    explicit pixel_access(SDL_Surface* s)
        : surface(s), locked(SDL_MUSTLOCK(s) && SDL_LockSurface(s) == 0),
          usable((locked || !SDL_MUSTLOCK(s)) && s->pixels != nullptr) {}
    ~pixel_access() {
        if (locked) SDL_UnlockSurface(surface);
    }
    pixel_access(const pixel_access&) = delete;
    pixel_access& operator=(const pixel_access&) = delete;
    explicit operator bool() const { return usable; }

private:
    SDL_Surface* surface;
    bool locked;
    bool usable;
};

Uint32& pixel(SDL_Surface* screen, int x, int y) {
    auto* row = static_cast<Uint8*>(screen->pixels) + static_cast<std::ptrdiff_t>(y) * screen->pitch;
    return reinterpret_cast<Uint32*>(row)[x];
}

// Paints the pixel at (x, y) with draw_clr where a glyph's intensity val is not 0 (fontgen writes
// only 0 and 15: the font's pixels are full or empty); the top byte of the pixel is kept.
void project(SDL_Surface* screen, int draw_clr, int x, int y, int val) {
    if (val == 0) return;
    Uint32& p = pixel(screen, x, y);
    p = (p & 0xFF000000u) | (static_cast<Uint32>(draw_clr) & 0x00FFFFFFu);
}

// Text cells are the codes 0..255 of the glyph table and this one past them.
constexpr int replacement_cell = 256;

// Text is read as UTF-8 when it is well-formed UTF-8 with at least one multi-byte character;
// any other string byte by byte, as ISO-8859-2 codes.
bool reads_as_utf8(const std::string& s) {
    bool multibyte = false;
    for (std::size_t i = 0; i < s.size();) {
        char32_t c = 0;
        const std::size_t length = charset::utf8_character(s, i, c);
        if (length == 0) return false;
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte;
}

// The cells of a text in order: a code 0..255, or replacement_cell for a UTF-8 character that
// ISO-8859-2 lacks.
class text_cells {
public:
    text_cells(const std::string& s, bool utf8) : str(s), as_utf8(utf8) {}
    // Stores the next cell; false at the end of the text.
    bool next(int& cell) {
        if (pos == str.size()) return false;
        const auto byte = static_cast<unsigned char>(str[pos]);
        char32_t c = 0;
        const std::size_t length = as_utf8 && byte >= 0x80 ? charset::utf8_sequence(str, pos, c) : 0;
        if (length == 0) {
            cell = byte;
            ++pos;
            return true;
        }
        const int code = charset::latin2_code(c);
        cell = code < 0 ? replacement_cell : code;
        pos += length;
        return true;
    }

private:
    const std::string& str;
    bool as_utf8;
    std::size_t pos = 0;
};

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

bool fits(unsigned width, unsigned height) {
    return width > 0 && height > 0 && width <= sdl_rules::widest_surface && height <= sdl_rules::highest_surface;
}

// The surface is what every drawing assumes: the size asked for, rows long enough for it, and
// 32-bit pixels 0x00RRGGBB.
bool as_asked(const SDL_Surface* s, unsigned width, unsigned height) {
    const SDL_PixelFormat* f = s->format;
    return s->w == static_cast<int>(width) && s->h == static_cast<int>(height) && s->pitch >= 4 * s->w &&
           f->BytesPerPixel == 4 && f->Rmask == 0xFF0000u && f->Gmask == 0xFF00u && f->Bmask == 0xFFu;
}

// The pen stays on its surface, but a copy of the window keeps its pen when the window is opened
// again smaller.
bool pen_on(const SDL_Surface* s, int x, int y) { return s && x >= 0 && x < s->w && y >= 0 && y < s->h; }

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

#ifndef __EMSCRIPTEN__
// The file a path names, through symbolic links, so that saving replaces the file and keeps the link.
std::string followed(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    const std::string resolved = real;
    std::free(real);
    return resolved;
}

// Only a regular file (a link to one was followed already) is saved over, and only one that may
// be written to: a FIFO, a device or a directory keeps what it is. A missing target is made new.
bool may_replace(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return true;
    return S_ISREG(st.st_mode) && access(path.c_str(), W_OK) == 0;
}

// The temporary files being written, listed for the stop signal handler, which removes them before
// it ends the program. A file is a directory descriptor and a serial number: the handler makes its
// name from those, with no allocation and no path.
struct listed_part {
    std::atomic<bool> taken{false};
    std::atomic<int> dir{-1};  // counts for the handler while it holds a directory
    std::atomic<unsigned long> serial{0};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<unsigned long>::is_always_lock_free,
              "signal handlers may only touch lock-free atomics");
listed_part listed_parts[16];
// Shared by every thread that saves, so that no two saves ever try the same name.
std::atomic<unsigned long> part_serial{0};

// ".easel-save-<pid>-<serial>.part", made without allocating, for the signal handler too.
struct part_name {
    char text[64];
    part_name(long pid, unsigned long serial) {
        char* end = text;
        const auto put = [&end](const char* s) {
            while (*s) *end++ = *s++;
        };
        const auto number = [&end](unsigned long n) {
            char digits[24];
            int count = 0;
            do {
                digits[count++] = static_cast<char>('0' + n % 10);
                n /= 10;
            } while (n > 0);
            while (count > 0) *end++ = digits[--count];
        };
        put(".easel-save-");
        number(static_cast<unsigned long>(pid));
        put("-");
        number(serial);
        put(".part");
        *end = '\0';
    }
};

void remove_listed_parts() {
    for (listed_part& part : listed_parts) {
        const int dir = part.dir.load();
        if (dir >= 0) unlinkat(dir, part_name(getpid(), part.serial.load()).text, 0);
    }
}

#ifdef O_PATH
constexpr int directory_only = O_PATH;  // no read permission needed
#else
constexpr int directory_only = O_RDONLY;
#endif

// A new empty file beside the target, made here so that no other file is overwritten, and removed
// again unless it is moved over the target. While it exists it is listed for the signal handler.
class part_file {
public:
    explicit part_file(const std::string& target)
        : dir_path(target.substr(0, target.find_last_of('/') + 1)),
          dir(::open(dir_path.empty() ? "." : dir_path.c_str(), directory_only | O_DIRECTORY | O_CLOEXEC)) {
        if (dir < 0) return;
        for (listed_part& candidate : listed_parts)
            if (!candidate.taken.exchange(true)) {
                listing = &candidate;
                break;
            }
        for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
            const unsigned long serial = part_serial.fetch_add(1);
            list(serial);
            const part_name tried(getpid(), serial);
            const int fd = openat(dir, tried.text, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                name = tried.text;
            } else {
                unlist();
                if (errno != EEXIST) break;
            }
        }
    }
    ~part_file() {
        if (!name.empty()) unlinkat(dir, name.c_str(), 0);
        unlist();
        if (listing) listing->taken = false;
        if (dir >= 0) ::close(dir);
    }
    part_file(const part_file&) = delete;
    part_file& operator=(const part_file&) = delete;

    bool made() const { return !name.empty(); }
    std::string path() const { return dir_path + name; }
    bool move_over(const std::string& target) {
        if (std::rename(path().c_str(), target.c_str()) != 0) return false;
        unlist();
        name.clear();
        return true;
    }

private:
    void list(unsigned long serial) {
        if (!listing) return;
        listing->serial = serial;
        listing->dir = dir;
    }
    void unlist() {
        if (listing) listing->dir = -1;
    }

    std::string dir_path;
    int dir;
    listed_part* listing = nullptr;
    std::string name;
};

// A file-size limit makes a write fail with EFBIG and raises SIGXFSZ, which would end the program
// with the temporary file left behind. While this exists the signal stays pending on this thread;
// one raised meanwhile is taken back, so the save just fails.
class file_size_signal_held {
public:
    file_size_signal_held() {
        sigset_t xfsz;
        sigemptyset(&xfsz);
        sigaddset(&xfsz, SIGXFSZ);
        sigset_t pending;
        sigpending(&pending);
        held = pthread_sigmask(SIG_BLOCK, &xfsz, &before) == 0 && !sigismember(&before, SIGXFSZ) &&
               !sigismember(&pending, SIGXFSZ);
    }
    ~file_size_signal_held() {
        if (!held) return;
        sigset_t xfsz;
        sigemptyset(&xfsz);
        sigaddset(&xfsz, SIGXFSZ);
        sigset_t pending;
        int taken = 0;
        if (sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ)) sigwait(&xfsz, &taken);
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    file_size_signal_held(const file_size_signal_held&) = delete;
    file_size_signal_held& operator=(const file_size_signal_held&) = delete;

private:
    sigset_t before;
    bool held = false;
};

// A file saved over keeps its permissions, as it would when written in place.
bool keeps_mode_of(const std::string& target, const std::string& part) {
    struct stat old;
    if (stat(target.c_str(), &old) != 0) return true;
    return chmod(part.c_str(), old.st_mode & 07777) == 0;
}
#else
// A page writes no temporary files.
void remove_listed_parts() {}
#endif

// Window input and ticks are numbered on one count as they arrive, so that a tick is read after
// the input that came before it was due.
std::atomic<std::uint64_t> arrivals{0};

// At most one tick waits in SDL's queue: the callback pushes one only when none is waiting, and
// otherwise just moves the waiting one's time on. Reading the tick takes the latest time.
constexpr std::int64_t no_tick = -1;
std::atomic<std::int64_t> waiting_tick{no_tick};
// When the waiting tick became due, on the count of arrivals.
std::atomic<std::uint64_t> waiting_tick_arrival{0};

Uint32 timer_event(Uint32 interval, void*) {
    const Uint32 now = SDL_GetTicks();
    if (waiting_tick.exchange(now) != no_tick) return interval;
    waiting_tick_arrival = arrivals++;
    SDL_Event ev = {};
    ev.type = SDL_USEREVENT;
    ev.user.code = static_cast<int>(now);
    ev.user.data1 = nullptr;
    ev.user.data2 = nullptr;
    if (SDL_PushEvent(&ev) != 0) {
        // No tick waits after all; the next one tries again.
        std::int64_t mine = now;
        waiting_tick.compare_exchange_strong(mine, no_tick);
    }
    return interval;
}

int take_tick_time(const SDL_Event& se) {
    const std::int64_t latest = waiting_tick.exchange(no_tick);
    return latest == no_tick ? se.user.code : static_cast<int>(static_cast<Uint32>(latest));
}

// Input from the window system, taken from SDL as it pumps it (on the reading thread). SDL's own
// queue holds 128 events and drops the rest, a window close included; this one holds far more.
class input_backlog {
public:
    // False, and the event is dropped, when the backlog is full.
    bool push(const SDL_Event& e) {
        if (count == capacity) return false;
        slots[(first + count) % capacity] = {e, arrivals++};
        ++count;
        return true;
    }
    // The oldest event, if it arrived before the given point on the count of arrivals.
    bool pop_before(std::uint64_t arrival, SDL_Event& e) {
        if (count == 0 || slots[first].arrival >= arrival) return false;
        e = slots[first].event;
        first = (first + 1) % capacity;
        --count;
        return true;
    }
    bool pop(SDL_Event& e) { return pop_before(UINT64_MAX, e); }

private:
    static constexpr std::size_t capacity = 1 << 14;
    struct arrived {
        SDL_Event event;
        std::uint64_t arrival;
    };
    arrived slots[capacity] = {};
    std::size_t first = 0;
    std::size_t count = 0;
};

// Constant-initialised, so input can arrive before this file's own initialisation has run.
input_backlog backlog;
bool window_closed = false;
// Set from a signal handler, on whichever thread takes the signal.
std::atomic<bool> stop_signal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "signal handlers may only touch lock-free atomics");
bool display_lost = false;

// Keeps what wait_event delivers and notes a close; SDL's queue gets none of it.
int take_window_input(const SDL_Event* e) {
    switch (e->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        backlog.push(*e);
        break;
    case SDL_QUIT:
        window_closed = true;
        break;
    default:
        break;
    }
    return 0;
}

// The first SIGINT or SIGTERM asks the reader to stop; a second one before that read ends the
// program, as if the library did not handle them.
extern "C" void note_stop_signal(int sig) {
    if (stop_signal.exchange(true)) {
        remove_listed_parts();
        std::signal(sig, SIG_DFL);
        std::raise(sig);
    }
}

// Left alone when the program has its own handling. Done before SDL starts, which then leaves
// them alone too.
void take_stop_signals() {
    for (const int sig : {SIGINT, SIGTERM}) {
        struct sigaction current = {};
        if (sigaction(sig, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction mine = {};
        mine.sa_handler = note_stop_signal;
        sigemptyset(&mine.sa_mask);
        mine.sa_flags = SA_RESTART;
        sigaction(sig, &mine, nullptr);
    }
}

#ifdef __EMSCRIPTEN__
// A page has no display to lose, and loads no library at run time.
void watch_display() {}
// A page's input goes straight into SDL's queue.
void pump_window_input() {}
#else
// Hands the window's input, and a close, to take_window_input.
void pump_window_input() { SDL_PumpEvents(); }

// Xlib ends the process when the display goes away; SDL's shutdown at exit would then wait on
// the dead connection for ever. Xlib is reached only if SDL has loaded it.
using io_error_handler = int (*)(_XDisplay*);
io_error_handler xlib_io_error_handler = nullptr;

int note_display_lost(_XDisplay* display) {
    display_lost = true;
    if (xlib_io_error_handler) return xlib_io_error_handler(display);
    std::exit(1);
}

void watch_display() {
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib) return;
    using setter = io_error_handler (*)(io_error_handler);
    if (auto* set = reinterpret_cast<setter>(dlsym(xlib, "XSetIOErrorHandler"))) {
        xlib_io_error_handler = set(note_display_lost);
    }
    dlclose(xlib);
}
#endif

// A tick taken from SDL's queue while window input that arrived before it was due still waits;
// it is read after that input, and SDL's queue waits behind it.
bool tick_held = false;
SDL_Event held_tick;

// The next SDL event for the reader: SDL's own queue first (timer ticks, events the program
// pushed; easel-replay serves its script there), then the window's input, except that a tick
// comes after the window input that arrived before it was due. Polls the way SDL's own wait
// does, so that a close or a signal is seen within 10 ms. False once either came.
bool next_sdl_event(SDL_Event& se) {
    for (;;) {
        bool polled = false;
        if (tick_held)
            pump_window_input();
        else
            polled = SDL_PollEvent(&se) != 0;
        // The close is taken by the read it ends.
        if (std::exchange(window_closed, false) || stop_signal) return false;
        if (polled && se.type == SDL_USEREVENT && waiting_tick != no_tick) {
            held_tick = se;
            tick_held = true;
        } else if (polled) {
            return true;
        }
        if (tick_held) {
            if (!backlog.pop_before(waiting_tick_arrival, se)) {
                se = held_tick;
                tick_held = false;
            }
            return true;
        }
        if (backlog.pop(se)) return true;
        SDL_Delay(10);
    }
}

// SDL delivers positions as unsigned 16-bit values that may encode negative numbers and may lie
// outside the window; programs get them inside the window.
int window_position(Uint16 raw, int size) {
    const int pos = raw < 0x8000 ? raw : raw - 0x10000;
    if (size <= 0) return pos;
    return pos < 0 ? 0 : (pos >= size ? size - 1 : pos);
}

void fill_position(event& ev, Uint16 raw_x, Uint16 raw_y) {
    const SDL_Surface* screen = SDL_GetVideoSurface();
    ev.pos_x = window_position(raw_x, screen ? screen->w : 0);
    ev.pos_y = window_position(raw_y, screen ? screen->h : 0);
}

// Fills ev from an SDL event the program is given; false for one it is not.
bool fill_record(const SDL_Event& se, event& ev) {
    switch (se.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        // A key without a code is swallowed and leaves no trace in the record.
        const int keycode = mkkeycode(se.key.keysym.sym, se.key.keysym.unicode);
        if (keycode == 0) return false;
        ev.type = ev_key;
        ev.keycode = se.type == SDL_KEYUP ? -keycode : keycode;
        return true;
    }
    case SDL_MOUSEMOTION:
        ev.type = ev_mouse;
        fill_position(ev, se.motion.x, se.motion.y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        ev.type = ev_mouse;
        ev.button = se.button.state == SDL_RELEASED ? -se.button.button : se.button.button;
        fill_position(ev, se.button.x, se.button.y);
        return true;
    case SDL_USEREVENT:
        ev.type = ev_timer;
        ev.time = take_tick_time(se);
        return true;
    default:
        return false;
    }
}

std::string not_open_advice(bool window) {
    return window ? "nothing is drawn until gout.open(width, height) has returned true"
                  : "nothing is drawn on a canvas until its open(width, height) has returned true";
}

std::string point(long long x, long long y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// Text whose first line does not fit between the top and bottom rows is not drawn.
void explain_text_off(const std::string& str, int x, int y, int width, int height, bool window) {
    if (!explain::on()) return;
    const std::string call = "text(" + explain::quoted(str) + ") at " + point(x, y) + " is not drawn: ";
    if (y < font::ascent)
        explain::say(explain::kind::text_off_canvas,
                     call + "the pen is the baseline and letters need " + std::to_string(font::ascent) +
                         " rows above it; move_to(" + std::to_string(x) + ", " + std::to_string(font::ascent) +
                         ") or lower draws it");
    else
        explain::say(explain::kind::text_off_canvas,
                     call + "letters need " + std::to_string(font::descent) + " rows from the baseline down and " +
                         explain::canvas_size(window, width, height) + "; move_to(" + std::to_string(x) + ", " +
                         std::to_string(height - 1 - font::descent) + ") or higher draws it");
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

void explain_open_refused(const std::string& call, unsigned width, unsigned height) {
    if (!explain::on()) return;
    if (!fits(width, height))
        return explain::say(explain::kind::open_refused,
                            call + " failed: width and height must be at least 1 and at most " +
                                std::to_string(sdl_rules::widest_surface) + " x " +
                                std::to_string(sdl_rules::highest_surface));
#ifdef __EMSCRIPTEN__
    const char* reason = nullptr;  // the page's SDL layer keeps no error text
#else
    const char* reason = SDL_GetError();
#endif
    explain::say(explain::kind::open_refused,
                 call + " failed: " + (reason && *reason ? reason : "SDL could not make it"));
}

// SDL falls back to a driver without a screen when the display it was given does not answer (an
// unreachable DISPLAY): a window would then be shown nowhere. That counts as a failure unless
// SDL_VIDEODRIVER asked for such a driver. Empty when a screen is there or was not wanted;
// otherwise the display asked for (" at DISPLAY=:5") or "", to name in the explanation.
std::optional<std::string> unasked_screenless_driver() {
#ifdef __EMSCRIPTEN__
    return std::nullopt;
#else
    char name[64] = "";
    if (!SDL_VideoDriverName(name, sizeof name)) return std::nullopt;
    const std::string driver = name;
    if (driver != "offscreen" && driver != "dummy") return std::nullopt;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked && std::string(asked).find(driver) != std::string::npos) return std::nullopt;
    const char* display = std::getenv("DISPLAY");
    return display && *display ? std::string(" at DISPLAY=") + display : std::string();
#endif
}

bool has_png_name(const std::string& file) {
    if (file.size() < 4) return false;
    std::string suffix = file.substr(file.size() - 4);
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".png";
}

// A name ending in .png gets a PNG, from the library's own encoder; any other name a BMP. Closes out.
bool write_picture(SDL_Surface* surface, SDL_RWops* out, const std::string& name) {
    if (!out) return false;
    if (!has_png_name(name)) return SDL_SaveBMP_RW(surface, out, 1) == 0;
    bool written = false;
    {
        const pixel_access access(surface);
        const auto to_file = [out](const unsigned char* bytes, std::size_t count) {
            return static_cast<std::size_t>(SDL_RWwrite(out, bytes, 1, static_cast<int>(count))) == count;
        };
        if (access)
            written = png::encode({static_cast<const std::uint32_t*>(surface->pixels), surface->w, surface->h,
                                   surface->pitch / 4},
                                  to_file);
    }
    return SDL_RWclose(out) == 0 && written;
}

// Writes the file, or says in why what went wrong.
bool save_surface(SDL_Surface* surface, const std::string& file, std::string& why) {
    const auto failed = [&why](const std::string& reason) {
        why = reason;
        return false;
    };
    errno = 0;
#ifdef __EMSCRIPTEN__
    // In a page the file is a download, and there is no old file to keep.
    return write_picture(surface, SDL_RWFromFile(file.c_str(), "wb"), file) || failed("the page could not offer it");
#else
    const std::string target = followed(file);
    if (!may_replace(target)) return failed("only a regular file that may be written is saved over");
    part_file part(target);
    if (!part.made()) return failed(errno ? std::strerror(errno) : "no file can be made there");
    const file_size_signal_held held;
    const bool written = write_picture(surface, SDL_RWFromFile(part.path().c_str(), "wb"), file) &&
                         keeps_mode_of(target, part.path()) && part.move_over(target);
    return written || failed(errno ? std::strerror(errno) : "the file could not be written");
#endif
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// canvas
// ---------------------------------------------------------------------------------------------

canvas::canvas() : pt_x(0), pt_y(0), buf(nullptr), draw_clr(0xFFFFFF), transp(false), view{nullptr, 0, 0, 0} {}

canvas::canvas(int w, int h) : canvas() { open(static_cast<unsigned>(w), static_cast<unsigned>(h)); }

canvas::canvas(const canvas& other)
    : pt_x(other.pt_x), pt_y(other.pt_y), buf(nullptr), draw_clr(other.draw_clr), transp(other.transp) {
    attach_copy(share(other.buf));
}

canvas& canvas::operator=(const canvas& other) {
    // The window keeps its own surface, also when reached through a canvas&.
    if (is_window()) return *this;
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

canvas::~canvas() { release(buf); }

bool canvas::is_window() const { return dynamic_cast<const groutput*>(this) != nullptr; }

bool canvas::open(unsigned width, unsigned height) {
    if (is_window()) return static_cast<groutput*>(this)->open(width, height);
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

int canvas::cascent() const { return charheight - chardescent; }

int canvas::cdescent() const { return chardescent; }

int canvas::twidth(const std::string& s) const {
    std::size_t widest = 0;
    std::size_t current = 0;
    text_cells cells(s, reads_as_utf8(s));
    for (int cell = 0; cells.next(cell);) {
        current = cell == '\n' ? 0 : current + 1;
        if (current > widest) widest = current;
    }
    // A line too wide to measure in an int is as wide as an int can say.
    constexpr std::size_t widest_measurable = INT_MAX / charwidth;
    return widest > widest_measurable ? INT_MAX : static_cast<int>(widest) * charwidth;
}

void canvas::draw_text(const std::string& str) { draw_cells(str, reads_as_utf8(str)); }

// Each cell is drawn column by column through project, every pixel of it, so the background
// between strokes stays as it was.
void canvas::draw_cells(const std::string& str, bool as_utf8) {
    if (!buf) explain::say(explain::kind::no_surface, "text(" + explain::quoted(str) + ") before open: " +
                                                          not_open_advice(is_window()));
    if (!pen_on(buf, pt_x, pt_y)) return;
    const int left = pt_x;
    if (pt_y - cascent() < 0 || pt_y + cdescent() >= buf->h) return explain_text_off(str, pt_x, pt_y, buf->w, buf->h, is_window());
    const pixel_access access(buf);
    if (!access) return;
    text_cells cells(str, as_utf8);
    for (int cell = 0; cells.next(cell);) {
        if (cell == '\n') {
            const int line_end_x = pt_x;
            const int line_end_y = pt_y;
            if (!move_point(left - pt_x, charheight)) return;
            if (pt_y + cdescent() >= buf->h) {
                // The next line would not fit: stay at the end of this one.
                pt_x = line_end_x;
                pt_y = line_end_y;
                return;
            }
            continue;
        }
        const auto* glyph = cell == replacement_cell ? replacement_face : charfaces[cell];
        for (int col = 0; col < charwidth; ++col) {
            const int top = pt_y - cascent();
            for (int row = 0; row < charheight; ++row) {
                const int px = static_cast<int>((glyph[row] >> (4 * col)) & 15u);
                project(buf, draw_clr, pt_x, top + row, px);
            }
            if (pt_x >= buf->w - 1) return;
            ++pt_x;
        }
    }
}

void canvas::transparent(bool on) { transp = on; }

void detail::canvas_internals::explain_refused(const canvas& out, const char* command, int first, int second) {
    if (!explain::on()) return;
    const std::string name = command;
    const std::string call = name + "(" + std::to_string(first) + ", " + std::to_string(second) + ")";
    if (!out.buf) return explain::say(explain::kind::no_surface, call + " before open: " + not_open_advice(out.is_window()));
    const bool absolute = name.size() > 3 && name.compare(name.size() - 3, 3, "_to") == 0;
    const long long x = absolute ? first : static_cast<long long>(out.pt_x) + first;
    const long long y = absolute ? second : static_cast<long long>(out.pt_y) + second;
    const std::string inside = explain::canvas_size(out.is_window(), out.buf->w, out.buf->h) + " (x from 0 to " +
                               std::to_string(out.buf->w - 1) + ", y from 0 to " + std::to_string(out.buf->h - 1) + ")";
    const std::string pen = point(out.pt_x, out.pt_y);
    if (name == "box" || name == "box_to")
        explain::say(explain::kind::box_not_drawn, call + " from " + pen + " is not drawn: its far corner " + point(x, y) +
                                                       " lies outside, and " + inside);
    else
        explain::say(explain::kind::move_refused, call + " refused: " + point(x, y) + " lies outside, and " + inside +
                                                      "; the pen stays at " + pen);
}

void detail::canvas_internals::explain_colour(int red, int green, int blue) {
    if (!explain::on()) return;
    const auto low = [](int v) { return std::to_string(static_cast<unsigned>(v) & 255u); };
    explain::say(explain::kind::colour_wraps,
                 "color(" + std::to_string(red) + ", " + std::to_string(green) + ", " + std::to_string(blue) +
                     "): each value counts from 0 to 255 and wraps around beyond, so this is color(" + low(red) +
                     ", " + low(green) + ", " + low(blue) + ")");
}

void canvas::blitfrom(const canvas& c, int x1, int y1, int x2, int y2, int x3, int y3) {
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

// The picture goes to a new file beside the target, which takes the target's place only once it
// is complete: a failed save leaves the old file as it was.
bool canvas::save(const std::string& file) const {
    std::string why = "the canvas is not open";
    const bool saved = buf && save_surface(buf, file, why);
    if (!saved) explain::say(explain::kind::save_failed, "save(" + explain::quoted(file) + ") failed: " + why);
    return saved;
}

void canvas::refresh() {}

// ---------------------------------------------------------------------------------------------
// groutput
// ---------------------------------------------------------------------------------------------

namespace {
// A window scaled up (SDL12COMPAT_WINDOW_SCALING, or a high-density screen) keeps its pixels
// square and sharp, unless the user chose how to scale. Read when the video mode is set.
void ask_for_sharp_scaling() {
    static char nearest[] = "SDL12COMPAT_SCALE_METHOD=nearest";
    if (!SDL_getenv("SDL12COMPAT_SCALE_METHOD")) SDL_putenv(nearest);
}
}  // namespace

groutput& groutput::instance() {
    static groutput single_inst;
    return single_inst;
}

groutput::groutput() {
    take_stop_signals();
    ask_for_sharp_scaling();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) std::_Exit(1);
    SDL_EnableUNICODE(1);
    SDL_SetEventFilter(take_window_input);
    watch_display();
    attach(nullptr);
}

groutput::~groutput() {
    buf = nullptr;
    if (!display_lost) SDL_Quit();
}

bool groutput::open(unsigned width, unsigned height, bool fullscreen) {
    const Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | (fullscreen ? SDL_FULLSCREEN : 0u);
    const std::string call = "gout.open(" + std::to_string(width) + ", " + std::to_string(height) + ")";
    const std::optional<std::string> no_screen = unasked_screenless_driver();
    SDL_Surface* screen = fits(width, height) && !no_screen
                              ? SDL_SetVideoMode(static_cast<int>(width), static_cast<int>(height), 32, flags)
                              : nullptr;
    if (no_screen)
        explain::say(explain::kind::open_refused, call + " failed: no display answers" + *no_screen +
                                                      ", so no window can be shown; run it on a desktop, or set "
                                                      "SDL_VIDEODRIVER=dummy to run it without a screen");
    else if (!screen || !as_asked(screen, width, height))
        explain_open_refused(call, width, height);
    attach(screen && as_asked(screen, width, height) ? screen : nullptr);
    pt_x = static_cast<int>(width / 2);
    pt_y = static_cast<int>(height / 2);
    // The video surface is not always handed back zeroed; programs rely on a black start.
    if (buf) SDL_FillRect(buf, nullptr, 0);
    return buf != nullptr;
}

void groutput::title(const std::string& text) {
    std::string utf8 = text;
    if (!reads_as_utf8(text)) {
        utf8.clear();
        for (const char byte : text)
            utf8 += charset::utf8(charset::latin2_character(static_cast<unsigned char>(byte)));
    }
    SDL_WM_SetCaption(utf8.c_str(), nullptr);
}

void groutput::refresh() {
    if (buf)
        SDL_Flip(buf);
    else
        explain::say(explain::kind::no_surface, "refresh before open: " + not_open_advice(true));
}

// ---------------------------------------------------------------------------------------------
// grinput
// ---------------------------------------------------------------------------------------------

grinput& grinput::instance() {
    static grinput single_inst;
    return single_inst;
}

grinput::grinput() : quit(false) {}

grinput::operator void const*() const { return quit ? nullptr : this; }

grinput& grinput::wait_event(event& ev) {
    ev = nullev;
    if (!quit && !timer_id && !SDL_GetVideoSurface())
        explain::say(explain::kind::waits_for_nothing,
                     "gin >> ev waits for ever: no window is open (gout.open was not called, or it failed) and no "
                     "timer runs, so no event can come");
    SDL_Event se;
    while (!quit) {
        if (!next_sdl_event(se)) {
            quit = true;
            break;
        }
        held_input::note(se);
        if (se.type == SDL_QUIT)
            quit = true;
        else if (fill_record(se, ev))
            break;
    }
    return *this;
}

void grinput::timer(int wait) {
    if (timer_id) {
        SDL_RemoveTimer(timer_id);
        timer_id = nullptr;
    }
    if (wait > 0) timer_id = SDL_AddTimer(sdl_rules::timer_period(static_cast<Uint32>(wait)), timer_event, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Typed text
// ---------------------------------------------------------------------------------------------

std::string keytext(int keycode) {
    if (keycode <= 0 || keycode >= key_up) return {};
    // Codes that Windows-1250 gives a character above U+00FF stand for that character; every
    // other code is its character's own value.
    const auto* row = std::find_if(std::begin(charcode_tbl), charcode_end,
                                   [keycode](const code_pair& p) { return p.to == keycode; });
    const auto c = static_cast<char32_t>(row != charcode_end ? row->from : keycode);
    const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
    const bool surrogate = c >= 0xD800 && c < 0xE000;
    return control || surrogate ? std::string() : charset::utf8(c);
}

void erase_last_char(std::string& s) {
    if (s.empty()) return;
    std::size_t last = s.size() - 1;
    if (reads_as_utf8(s))
        while (last > 0 && (static_cast<unsigned char>(s[last]) & 0xC0u) == 0x80u) --last;
    s.erase(last);
}

}  // namespace easel
