// Reading a picture the program saved, when the program may have put anything in its place.
#pragma once

#include "image.hpp"

#include <string>

namespace easel::replay {

inline constexpr long longest_saved_file = 64L << 20;  // bytes

// The picture in `name`, a file beneath the current directory (the program's), reached without following
// any link and without waiting: only a regular file of at most longest_saved_file bytes is read. Throws
// image::image_error with the reason otherwise (a link, a FIFO, a directory, outside, too large).
image::picture read_saved_picture(const std::string& name);

}  // namespace easel::replay
