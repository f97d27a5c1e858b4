#include "key_names.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace easel::replay {

namespace {

struct named_key {
    const char* name;  // as written in the documentation; matched in any case
    key value;
};

constexpr std::array named_keys{
    named_key{"Escape", {SDLK_ESCAPE, 27}},     named_key{"Return", {SDLK_RETURN, 13}},
    named_key{"Enter", {SDLK_RETURN, 13}},      named_key{"Tab", {SDLK_TAB, 9}},
    named_key{"BackSpace", {SDLK_BACKSPACE, 8}}, named_key{"space", {SDLK_SPACE, 32}},
    named_key{"Delete", {SDLK_DELETE, 127}},    named_key{"Up", {SDLK_UP, 0}},
    named_key{"Down", {SDLK_DOWN, 0}},          named_key{"Left", {SDLK_LEFT, 0}},
    named_key{"Right", {SDLK_RIGHT, 0}},        named_key{"Insert", {SDLK_INSERT, 0}},
    named_key{"Home", {SDLK_HOME, 0}},          named_key{"End", {SDLK_END, 0}},
    named_key{"PageUp", {SDLK_PAGEUP, 0}},      named_key{"PageDown", {SDLK_PAGEDOWN, 0}},
    named_key{"LShift", {SDLK_LSHIFT, 0}},      named_key{"RShift", {SDLK_RSHIFT, 0}},
    named_key{"LCtrl", {SDLK_LCTRL, 0}},        named_key{"RCtrl", {SDLK_RCTRL, 0}},
    named_key{"LAlt", {SDLK_LALT, 0}},          named_key{"RAlt", {SDLK_RALT, 0}},
    named_key{"LSuper", {SDLK_LSUPER, 0}},      named_key{"RSuper", {SDLK_RSUPER, 0}},
    named_key{"Menu", {SDLK_MENU, 0}},          named_key{"NumLock", {SDLK_NUMLOCK, 0}},
    named_key{"CapsLock", {SDLK_CAPSLOCK, 0}},  named_key{"ScrollLock", {SDLK_SCROLLOCK, 0}},
};

constexpr int function_keys = 15;

// The printable ASCII characters SDL has a key for ('%' and "{|}~" have none).
bool has_own_key(char32_t character) {
    return (character >= '!' && character <= '@' && character != '%') || (character >= '[' && character <= 'z');
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::optional<key> function_key(const std::string& name) {
    if (name.size() < 2 || name.size() > 3 || name[0] != 'f' || name[1] == '0') return std::nullopt;
    if (!std::all_of(name.begin() + 1, name.end(), [](unsigned char c) { return std::isdigit(c); })) return std::nullopt;
    const int number = std::stoi(name.substr(1));
    if (number > function_keys) return std::nullopt;
    return key{static_cast<SDLKey>(SDLK_F1 + number - 1), 0};
}

}  // namespace

std::optional<key> find_key(const std::string& name) {
    const std::string lower = lower_case(name);
    if (lower.size() == 1 && has_own_key(static_cast<unsigned char>(lower[0]))) {
        const auto character = static_cast<unsigned char>(lower[0]);
        return key{static_cast<SDLKey>(character), character};
    }
    const auto named = std::find_if(named_keys.begin(), named_keys.end(),
                                    [&lower](const named_key& k) { return lower == lower_case(k.name); });
    if (named != named_keys.end()) return named->value;
    return function_key(lower);
}

const std::vector<std::string>& key_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const named_key& k : named_keys) all.emplace_back(k.name);
        for (int number = 1; number <= function_keys; ++number) all.push_back("F" + std::to_string(number));
        return all;
    }();
    return names;
}

SDLKey key_of_character(char32_t character) {
    if (character >= 'A' && character <= 'Z') return static_cast<SDLKey>(character - 'A' + 'a');
    if (character < 128) return static_cast<SDLKey>(character);
    return SDLK_UNKNOWN;
}

}  // namespace easel::replay
