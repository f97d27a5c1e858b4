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

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Edit distance, case aside.
std::size_t distance(const std::string& typed, const std::string& name) {
    std::array<std::size_t, 16> row{};  // names are shorter than this
    const std::size_t columns = std::min(name.size(), row.size() - 1);
    for (std::size_t j = 0; j <= columns; ++j) row[j] = j;
    for (std::size_t i = 1; i <= typed.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= columns; ++j) {
            const std::size_t above = row[j];
            const std::size_t change = diagonal + (ascii_lower(typed[i - 1]) == ascii_lower(name[j - 1]) ? 0 : 1);
            row[j] = std::min(std::min(row[j], row[j - 1]) + 1, change);
            diagonal = above;
        }
    }
    return row[columns];
}

}  // namespace

std::string nearest(const std::string& word, const std::vector<std::string>& names, std::size_t count) {
    const std::string typed = word.substr(0, 16);
    std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, index in names
    for (std::size_t k = 0; k < names.size(); ++k) ranked.emplace_back(distance(typed, names[k]), k);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (std::size_t i = 0; i < std::min(count, ranked.size()); ++i) text += (i == 0 ? "" : ", ") + names[ranked[i].second];
    return text;
}

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
