// color_trail: a mouse trail whose colour cycles with the timer's clock.
#include "color_trail_cases.hpp"
