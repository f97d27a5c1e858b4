// What the desktop's own sources share. Private.
#pragma once

namespace easel::desktop {

// Removes the temporary files of saves under way; safe in a signal handler (save.cpp).
void remove_unfinished_saves();

}  // namespace easel::desktop
