// The drawing paths programs use most, timed side by side on one 800 x 600 32-bit window: easel,
// SDL_gfx's primitive for the same job and a plain loop (or bare SDL call) doing the same pixel
// work. Every contender's picture is checked against easel's before anything is timed; the run
// ends with a table of median CPU times and their ratios.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <SDL_gfxPrimitives.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "graphics.hpp"

using namespace easel;

namespace {

constexpr int width = 800;
constexpr int height = 600;
constexpr int repetitions = 15;

SDL_Surface* screen() { return SDL_GetVideoSurface(); }

int stride() { return screen()->pitch / 4; }

Uint32* pixels() { return static_cast<Uint32*>(screen()->pixels); }

std::vector<Uint32> picture() {
    const Uint32* p = pixels();
    return std::vector<Uint32>(p, p + static_cast<std::ptrdiff_t>(stride()) * height);
}

void clear() { SDL_FillRect(screen(), nullptr, 0); }

// The same pseudo-random positions for every contender.
class sequence {
public:
    int below(int n) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 8) % static_cast<unsigned>(n));
    }

private:
    unsigned state = 1;
};

// A w x h rectangle at a random place where it lies wholly inside a window of the given extent.
SDL_Rect placed(sequence& seq, int left, int extent_x, int extent_y, int w, int h) {
    const int x = left + seq.below(extent_x - w + 1), y = seq.below(extent_y - h + 1);
    return {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w), static_cast<Uint16>(h)};
}

struct contender {
    std::string name;  // as shown in the table
    std::function<void()> draw;
    // Whether the picture it drew is right, given easel's; by default the same pixels.
    std::function<bool(const std::vector<Uint32>& drawn, const std::vector<Uint32>& easel)> check;
};

struct workload {
    std::string id;  // names its timings
    std::string title;
    std::function<void()> prepare;  // the surface before each contender draws
    contender easel, gfx, raw;      // a contender without draw is absent
    double goal_vs_raw;             // easel / raw at most this; 0 for none
    bool goal_beat_gfx;
};

// ---------------------------------------------------------------------------------------------
// Workloads
// ---------------------------------------------------------------------------------------------

Uint8 shade_of(int x, int y) { return static_cast<Uint8>(x + y); }

workload per_pixel() {
    workload w{"pixels", "every one of 480,000 pixels by `move_to + color + dot`", clear, {}, {}, {}, 3.0, false};
    // Column by column, as the pixel programs draw.
    w.easel.draw = [] {
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y) {
                const int shade = x + y;
                gout << move_to(x, y) << color(shade, shade, shade) << dot;
            }
    };
    w.gfx = {"`pixelRGBA`", [] {
                 SDL_Surface* s = screen();
                 for (int x = 0; x < width; ++x)
                     for (int y = 0; y < height; ++y) {
                         const Uint8 shade = shade_of(x, y);
                         pixelRGBA(s, static_cast<Sint16>(x), static_cast<Sint16>(y), shade, shade, shade, 255);
                     }
             }, {}};
    w.raw = {"32-bit stores", [] {
                 Uint32* p = pixels();
                 const int pitch = stride();
                 for (int x = 0; x < width; ++x)
                     for (int y = 0; y < height; ++y) p[y * pitch + x] = shade_of(x, y) * 0x010101u;
             }, {}};
    return w;
}

struct segment {
    int x0, y0, dx, dy;
};

// Lines with 128 main steps (129 points) from points where they stay inside; ends(i) gives the
// vector of line i.
std::vector<segment> segments(int count, const std::function<segment(int)>& ends) {
    std::vector<segment> out;
    sequence seq;
    for (int i = 0; i < count; ++i) {
        segment s = ends(i);
        s.x0 = 128 + seq.below(width - 256);
        s.y0 = 128 + seq.below(height - 256);
        out.push_back(s);
    }
    return out;
}

// The library's stepping rule in its plainest form: the error term starts at 0.
void integer_line(const segment& s) {
    const int adx = std::abs(s.dx), ady = std::abs(s.dy);
    const int xdir = s.dx > 0 ? 1 : -1, ydir = s.dy > 0 ? stride() : -stride();
    const bool x_major = adx >= ady;
    const int main_step = x_major ? xdir : ydir, side_step = x_major ? ydir : xdir;
    const int steps = x_major ? adx : ady, shifts = x_major ? ady : adx;
    Uint32* p = pixels() + s.y0 * stride() + s.x0;
    int len = 0;
    *p = 0xFFFFFF;
    for (int i = 0; i < steps; ++i) {
        len += shifts;
        if (len >= steps) {
            len -= steps;
            p += side_step;
        }
        p += main_step;
        *p = 0xFFFFFF;
    }
}

workload lines(const std::string& id, const std::string& title, const std::vector<segment>& segs, bool with_gfx) {
    workload w{id, title, clear, {}, {}, {}, 1.5, with_gfx};
    w.easel.draw = [segs] {
        gout << color(255, 255, 255);
        for (const segment& s : segs) gout << move_to(s.x0, s.y0) << line_to(s.x0 + s.dx, s.y0 + s.dy);
    };
    if (with_gfx)
        w.gfx = {"`lineRGBA`", [segs] {
                     SDL_Surface* sf = screen();
                     for (const segment& s : segs)
                         lineRGBA(sf, static_cast<Sint16>(s.x0), static_cast<Sint16>(s.y0),
                                  static_cast<Sint16>(s.x0 + s.dx), static_cast<Sint16>(s.y0 + s.dy), 255, 255, 255,
                                  255);
                 }, {}};
    w.raw = {"integer loop", [segs] {
                 for (const segment& s : segs) integer_line(s);
             }, {}};
    return w;
}

// Diagonals: SDL_gfx rounds its side steps where easel floors them, so only these (and straight
// lines, which it fills instead of tracing) give both the same points.
workload diagonal_lines() {
    const auto diagonal = [](int i) { return segment{0, 0, i % 2 ? 128 : -128, i / 2 % 2 ? 128 : -128}; };
    return lines("diagonals", "10,000 lines (1.29 M points) by `move_to + line_to`", segments(10000, diagonal), true);
}

workload sloped_lines() {
    // Round the square of radius 128: every slope, every line 129 points.
    const auto around = [](int i) {
        const int side = i % 1024 / 256, along = i % 256 - 128;
        const int corner[4][2] = {{128, along}, {-along, 128}, {-128, -along}, {along, -128}};
        return segment{0, 0, corner[side][0], corner[side][1]};
    };
    return lines("slopes", "10,000 lines of every slope (1.29 M points)", segments(10000, around), false);
}

workload boxes() {
    std::vector<SDL_Rect> at;
    sequence seq;
    for (int i = 0; i < 10000; ++i)
        at.push_back(placed(seq, 0, width, height, 4, 4));
    workload w{"boxes", "10,000 4x4 boxes", clear, {}, {}, {}, 0, false};
    w.easel.draw = [at] {
        gout << color(255, 255, 255);
        for (const SDL_Rect& r : at) gout << move_to(r.x, r.y) << box(3, 3);
    };
    w.gfx = {"`boxRGBA`", [at] {
                 SDL_Surface* s = screen();
                 for (const SDL_Rect& r : at)
                     boxRGBA(s, r.x, r.y, static_cast<Sint16>(r.x + 3), static_cast<Sint16>(r.y + 3), 255, 255, 255,
                             255);
             }, {}};
    w.raw = {"16 stores", [at] {
                 Uint32* p = pixels();
                 const int pitch = stride();
                 for (const SDL_Rect& r : at)
                     for (int y = r.y; y < r.y + 4; ++y)
                         for (int x = r.x; x < r.x + 4; ++x) p[y * pitch + x] = 0xFFFFFF;
             }, {}};
    return w;
}

// Text in two columns of 35 lines, drawn over and over: 1,000 lines of 40 characters.
struct text_line {
    int x, baseline;
    std::string str;
};

bool inside_text_cells(const std::vector<Uint32>& drawn, const std::vector<text_line>& lines) {
    std::vector<bool> cell(drawn.size(), false);
    bool ink = false;
    for (const text_line& l : lines)
        for (int y = l.baseline - 13; y < l.baseline + 4; ++y)
            for (int x = l.x; x < l.x + 8 * static_cast<int>(l.str.size()); ++x) cell[y * stride() + x] = true;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i] && !cell[i]) return false;
        ink = ink || drawn[i];
    }
    return ink;
}

workload text_lines() {
    const std::string words = "The quick brown fox jumps over the lazy dog; PACK MY BOX WITH FIVE DOZEN JUGS! ";
    std::vector<text_line> lines;
    for (int i = 0; i < 1000; ++i)
        lines.push_back({i / 35 % 2 * 400, 13 + 17 * (i % 35), words.substr(i % 40, 40)});
    workload w{"text", "1,000 lines of 40 characters", clear, {}, {}, {}, 0, false};
    w.easel.draw = [lines] {
        gout << color(255, 255, 255);
        for (const text_line& l : lines) gout << move_to(l.x, l.baseline) << text(l.str);
    };
    // Its 8 x 8 font cannot match pixel for pixel: its ink must stay inside easel's cells.
    w.gfx = {"`stringRGBA` (8x8)", [lines] {
                 SDL_Surface* s = screen();
                 for (const text_line& l : lines)
                     stringRGBA(s, static_cast<Sint16>(l.x), static_cast<Sint16>(l.baseline - 9), l.str.c_str(), 255,
                                255, 255, 255);
             },
             [lines](const std::vector<Uint32>& drawn, const std::vector<Uint32>&) {
                 return inside_text_cells(drawn, lines);
             }};
    return w;
}

void fail(const std::string& what) {
    std::fprintf(stderr, "easel_bench: %s\n", what.c_str());
    std::exit(1);
}

SDL_Event timer_tick(int code) {
    SDL_Event ev = {};
    ev.type = SDL_USEREVENT;
    ev.user.code = code;
    return ev;
}

workload events() {
    workload w{"events", "event push + `gin >> ev`", [] {}, {}, {}, {}, 0, false};
    w.easel.draw = [] {
        SDL_Event tick = timer_tick(42);
        SDL_PushEvent(&tick);
        event ev;
        gin >> ev;
        if (ev.type != ev_timer || ev.time != 42) fail("gin >> ev read the wrong event");
    };
    w.raw = {"`SDL_WaitEvent`", [] {
                 SDL_Event tick = timer_tick(42);
                 SDL_PushEvent(&tick);
                 SDL_Event ev;
                 if (!SDL_WaitEvent(&ev) || ev.type != SDL_USEREVENT || ev.user.code != 42)
                     fail("SDL_WaitEvent read the wrong event");
             }, {}};
    return w;
}

// A flower on black, stamped with black left out.
struct sprite : canvas {
    sprite() : canvas(40, 30) {
        *this << color(250, 210, 40) << move_to(14, 0) << box(11, 29) << move_to(4, 9) << box(31, 11)
              << color(200, 60, 30) << move_to(17, 12) << box(5, 5);
        transparent(true);
    }
    SDL_Surface* surface() const { return buf; }
};

workload stamps() {
    static sprite flower;
    std::vector<SDL_Rect> at;
    sequence seq;
    for (int i = 0; i < 10000; ++i)
        at.push_back(placed(seq, 0, width, height, 40, 30));
    workload w{"stamps", "10,000 keyed 40x30 stamps", clear, {}, {}, {}, 0, false};
    w.easel.draw = [at] {
        for (const SDL_Rect& r : at) gout << stamp(flower, r.x, r.y);
    };
    w.raw = {"`SDL_BlitSurface`", [at] {
                 SDL_SetColorKey(flower.surface(), SDL_SRCCOLORKEY, 0);
                 for (SDL_Rect r : at) SDL_BlitSurface(flower.surface(), nullptr, screen(), &r);
             }, {}};
    return w;
}

// Copies from the left half of the window to the right half, which never overlap.
workload copies_within() {
    std::vector<SDL_Rect> from, to;
    sequence seq;
    for (int i = 0; i < 1000; ++i) {
        from.push_back(placed(seq, 0, width / 2, height, 40, 30));
        to.push_back(placed(seq, width / 2, width / 2, height, 40, 30));
    }
    const auto gradient = [] {
        clear();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width / 2; ++x) pixels()[y * stride() + x] = static_cast<Uint32>(x * 0x100 + y);
    };
    workload w{"copies", "1,000 copies of 40x30 within the window", gradient, {}, {}, {}, 0, false};
    w.easel.draw = [from, to] {
        for (std::size_t i = 0; i < from.size(); ++i)
            gout.blitfrom(gout, from[i].x, from[i].y, 40, 30, to[i].x, to[i].y);
    };
    w.raw = {"`SDL_BlitSurface`", [from, to] {
                 for (std::size_t i = 0; i < from.size(); ++i) {
                     SDL_Rect source = from[i], target = to[i];
                     SDL_BlitSurface(screen(), &source, screen(), &target);
                 }
             }, {}};
    return w;
}

// ---------------------------------------------------------------------------------------------
// Checking, timing and the table
// ---------------------------------------------------------------------------------------------

std::vector<Uint32> drawn_by(const workload& w, const contender& c) {
    w.prepare();
    c.draw();
    return picture();
}

void check_pictures(const workload& w) {
    const std::vector<Uint32> reference = drawn_by(w, w.easel);
    for (const contender* c : {&w.gfx, &w.raw}) {
        if (!c->draw) continue;
        const std::vector<Uint32> drawn = drawn_by(w, *c);
        const bool right = c->check ? c->check(drawn, reference) : drawn == reference;
        if (!right) fail(w.title + ": " + c->name + " draws another picture than easel");
    }
}

class median_table : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                seconds[run.run_name.function_name] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    std::map<std::string, double> seconds;
};

std::string key(const workload& w, const char* who) { return w.id + "/" + who; }

void time_contender(const workload& w, const contender& c, const char* who) {
    if (!c.draw) return;
    benchmark::RegisterBenchmark(key(w, who).c_str(),
                                 [&w, &c](benchmark::State& state) {
                                     w.prepare();
                                     for (auto _ : state) {
                                         c.draw();
                                         benchmark::ClobberMemory();
                                     }
                                 })
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(0.2)
        ->Unit(benchmark::kMicrosecond);
}

std::string duration(double s) {
    char out[32];
    if (s >= 1e-3)
        std::snprintf(out, sizeof out, "%.2f ms", s * 1e3);
    else if (s >= 1e-6)
        std::snprintf(out, sizeof out, "%.0f us", s * 1e6);
    else
        std::snprintf(out, sizeof out, "%.0f ns", s * 1e9);
    return out;
}

std::string ratio(double a, double b) {
    char out[32];
    std::snprintf(out, sizeof out, a / b >= 10 ? "%.1f" : "%.2f", a / b);
    return out;
}

void print_table(const std::vector<workload>& rows, const std::map<std::string, double>& seconds) {
    const auto time_of = [&seconds](const workload& w, const char* who) {
        const auto it = seconds.find(key(w, who));
        return it == seconds.end() ? 0.0 : it->second;
    };
    std::printf("\nMedian CPU time of %d repetitions, %d x %d 32-bit window, dummy driver:\n\n", repetitions, width,
                height);
    std::printf("| workload | easel | SDL_gfx | raw loop / bare SDL | easel / raw | easel / SDL_gfx |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::vector<std::string> goals;
    for (const workload& w : rows) {
        const double e = time_of(w, "easel"), g = time_of(w, "gfx"), r = time_of(w, "raw");
        if (e == 0) continue;
        std::printf("| %s | %s | %s | %s | %s | %s |\n", w.title.c_str(), duration(e).c_str(),
                    g > 0 ? (w.gfx.name + " " + duration(g)).c_str() : "-",
                    r > 0 ? (w.raw.name + " " + duration(r)).c_str() : "-", r > 0 ? ratio(e, r).c_str() : "-",
                    g > 0 ? ratio(e, g).c_str() : "-");
        if (w.goal_vs_raw > 0 && r > 0)
            goals.push_back(w.title + ": easel / raw " + ratio(e, r) + ", at most " + ratio(w.goal_vs_raw, 1) +
                            (e / r <= w.goal_vs_raw ? ": met" : ": NOT MET"));
        if (w.goal_beat_gfx && g > 0)
            goals.push_back(w.title + ": easel / SDL_gfx " + ratio(e, g) + ", below 1" +
                            (e < g ? ": met" : ": NOT MET"));
    }
    std::printf("\nGoals:\n");
    for (const std::string& goal : goals) std::printf("- %s\n", goal.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!gout.open(width, height)) fail("no 800 x 600 window (run with SDL_VIDEODRIVER=dummy)");
    const std::vector<workload> rows = {per_pixel(), diagonal_lines(), sloped_lines(), boxes(),
                                        text_lines(), events(),        stamps(),       copies_within()};
    for (const workload& w : rows) {
        check_pictures(w);
        time_contender(w, w.easel, "easel");
        time_contender(w, w.gfx, "gfx");
        time_contender(w, w.raw, "raw");
    }
    median_table table;
    benchmark::RunSpecifiedBenchmarks(&table);
    print_table(rows, table.seconds);
    benchmark::Shutdown();
    return 0;
}
