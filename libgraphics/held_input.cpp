#include "held_input.hpp"

#include "graphics.hpp"
#include "keytbl.hpp"

#include <algorithm>
#include <iterator>

namespace easel {
namespace {

// A key that is down: SDL's key symbol, and the code its press gave (0 for a key without one).
struct down_key {
    int sym;
    int code;
};

// More keys than a keyboard reports at once; a press beyond them is not kept.
constexpr int most_keys_down = 32;
down_key keys_down[most_keys_down];
int key_count = 0;
unsigned buttons_down = 0;  // bit b for mouse button b

void forget_key(int sym) {
    const auto end = std::remove_if(keys_down, keys_down + key_count, [sym](const down_key& k) { return k.sym == sym; });
    key_count = static_cast<int>(end - keys_down);
}

bool is_button(int button) { return button >= 1 && button <= 31; }

}  // namespace

void held_input::note(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
            forget_key(e.key.keysym.sym);
            if (key_count < most_keys_down)
                keys_down[key_count++] = {e.key.keysym.sym, mkkeycode(e.key.keysym.sym, e.key.keysym.unicode)};
            break;
        case SDL_KEYUP:
            forget_key(e.key.keysym.sym);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (!is_button(e.button.button)) break;
            if (e.type == SDL_MOUSEBUTTONDOWN)
                buttons_down |= 1u << e.button.button;
            else
                buttons_down &= ~(1u << e.button.button);
            break;
        default:
            break;
    }
}

// A character key counts by the character its press gave ('A' with Shift) and by its own
// unshifted character ('a'), which SDL's key symbol is for the keys of ASCII characters.
bool grinput::key_held(int keycode) const {
    if (keycode <= 0) return false;
    return std::any_of(keys_down, keys_down + key_count, [keycode](const down_key& k) {
        return k.code == keycode || (k.sym == keycode && k.sym < 128);
    });
}

bool grinput::button_held(int button) const { return is_button(button) && (buttons_down >> button & 1u) != 0; }

}  // namespace easel
