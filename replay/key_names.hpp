// SDL key names a script may use, with the key symbol and the character the key types.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace easel::replay {

struct key {
    SDLKey sym;
    Uint16 unicode;  // 0 when the key types no character
};

// NAME is case-insensitive: a letter, digit or punctuation character that has its own SDL key, or one of
// Escape, Return, Enter, Tab, BackSpace, space, Delete, Up, Down, Left, Right, Insert, Home, End, PageUp,
// PageDown, F1 to F15, LShift, RShift, LCtrl, RCtrl, LAlt, RAlt, LSuper, RSuper, Menu, NumLock, CapsLock,
// ScrollLock.
std::optional<key> find_key(const std::string& name);

// The names of the keys without a character of their own, as the documentation writes them.
const std::vector<std::string>& key_names();

// The names nearest to `word` by edit distance (case aside), at most `count` of them, as "A, B, C".
std::string nearest(const std::string& word, const std::vector<std::string>& names, std::size_t count = 3);

// The key SDL reports for a typed character: its own key for ASCII, SDLK_UNKNOWN otherwise.
SDLKey key_of_character(char32_t character);

}  // namespace easel::replay
