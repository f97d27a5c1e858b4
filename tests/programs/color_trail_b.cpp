// color_trail_b: a program of its own that must behave exactly as color_trail.
#include "color_trail_cases.hpp"

namespace easel::color_trail_cases {

INSTANTIATE_TEST_SUITE_P(color_trail_b, ColorTrail, ::testing::Values(EASEL_PROGRAM));

}  // namespace easel::color_trail_cases
