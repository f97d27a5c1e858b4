// The drawing paths programs use most, each beside a baseline that does the same pixel work with
// plain stores into the surface, so the cost of the library's pen and bounds tests shows.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "graphics.hpp"

using namespace easel;

namespace {

constexpr int side = 200;

struct bench_canvas : canvas {
    bench_canvas() : canvas(side, side) {}
    Uint32* row(int y) const { return reinterpret_cast<Uint32*>(static_cast<Uint8*>(buf->pixels) + y * buf->pitch); }
};

// A whole picture the way the pixel programs draw it: one move, one colour, one dot per pixel.
void per_pixel_picture(benchmark::State& state) {
    bench_canvas c;
    for (auto _ : state) {
        for (int x = 0; x < side; ++x)
            for (int y = 0; y < side; ++y) c << move_to(x, y) << color(x + y, x + y, x + y) << dot;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(per_pixel_picture);

void per_pixel_picture_baseline(benchmark::State& state) {
    bench_canvas c;
    for (auto _ : state) {
        for (int x = 0; x < side; ++x)
            for (int y = 0; y < side; ++y) c.row(y)[x] = static_cast<Uint32>(((x + y) & 255) * 0x010101);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(per_pixel_picture_baseline);

// A fan of lines from the centre to every border pixel.
void line_fan(benchmark::State& state) {
    bench_canvas c;
    long points = 0;
    for (auto _ : state) {
        for (int i = 0; i < side; ++i) {
            c << move_to(100, 100) << line_to(i, 0) << move_to(100, 100) << line_to(i, side - 1);
            points += 2 * 101;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(points);
}
BENCHMARK(line_fan);

void line_fan_baseline(benchmark::State& state) {
    bench_canvas c;
    long points = 0;
    const auto plot_line = [&c](int x0, int y0, int x1, int y1) {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int k = 0; k <= steps; ++k) c.row(y0 + (y1 - y0) * k / steps)[x0 + (x1 - x0) * k / steps] = 0xFFFFFF;
    };
    for (auto _ : state) {
        for (int i = 0; i < side; ++i) {
            plot_line(100, 100, i, 0);
            plot_line(100, 100, i, side - 1);
            points += 2 * 101;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(points);
}
BENCHMARK(line_fan_baseline);

// Ten lines of 24 characters, blended cell by cell.
void text_block(benchmark::State& state) {
    bench_canvas c;
    const std::string line = "The quick brown fox 0123";
    for (auto _ : state) {
        c << move_to(0, 13);
        for (int i = 0; i < 10; ++i) c << move_to(0, 13 + 17 * i) << text(line);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 10 * static_cast<long>(line.size()));
}
BENCHMARK(text_block);

// The same cells filled with plain stores, no blending.
void text_block_baseline(benchmark::State& state) {
    bench_canvas c;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i)
            for (int ch = 0; ch < 24; ++ch)
                for (int col = 0; col < 8; ++col)
                    for (int row = 0; row < 17; ++row) c.row(17 * i + row)[8 * ch + col] = 0xFFFFFF;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 10 * 24);
}
BENCHMARK(text_block_baseline);

void boxes(benchmark::State& state) {
    bench_canvas c;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) c << move_to(i, i) << box(50, 50);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(boxes);

void boxes_baseline(benchmark::State& state) {
    bench_canvas c;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            for (int y = i; y <= i + 50; ++y)
                for (int x = i; x <= i + 50; ++x) c.row(y)[x] = 0xFFFFFF;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(boxes_baseline);

}  // namespace
