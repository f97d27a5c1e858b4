// What SDL 1.2 does that the library, its browser layer and easel-replay's hook must do alike, so
// that a program behaves the same on every platform. Private.
#pragma once

#include <algorithm>
#include <cstdint>

namespace easel::sdl_rules {

// SDL keeps a row's length in bytes in 16 bits, and rectangle positions in signed 16 bits: the
// largest 32-bit surface.
constexpr unsigned widest_surface = 65535 / 4;
constexpr unsigned highest_surface = 32767;

// SDL's timers tick at multiples of 10 ms: a period of 15 ms ticks every 20 ms.
constexpr std::uint32_t timer_period(std::uint32_t requested) {
    constexpr std::uint64_t resolution = 10;
    constexpr std::uint64_t longest = UINT32_MAX / resolution * resolution;
    return static_cast<std::uint32_t>(std::min((requested + resolution - 1) / resolution * resolution, longest));
}

}  // namespace easel::sdl_rules
