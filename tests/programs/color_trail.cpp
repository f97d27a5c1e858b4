// color_trail: a mouse trail whose colour cycles with the timer's clock.
#include "color_trail_cases.hpp"

namespace easel::color_trail_cases {

INSTANTIATE_TEST_SUITE_P(color_trail, ColorTrail, ::testing::Values(EASEL_PROGRAM));

}  // namespace easel::color_trail_cases
