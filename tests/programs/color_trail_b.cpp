// color_trail_b: a program of its own that must behave exactly as color_trail.
#include "color_trail_cases.hpp"
