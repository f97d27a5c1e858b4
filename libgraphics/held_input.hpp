// Which keys and mouse buttons are down now, kept from every key and button event the reader takes
// from SDL, those the event stream swallows (a character key's release) included.
#pragma once

#include <SDL.h>

namespace easel::held_input {

// Notes a key or button going down or up; other events are left alone.
void note(const SDL_Event& e);

}  // namespace easel::held_input
