#include "key_names.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>

namespace easel::replay {

namespace {

struct named_key {
    const char* name;  // as written in the documentation; matched in any case
    key value;
};

// The named keys of the library's key table, in its order.
constexpr named_key named_keys[] = {
#define EASEL_CHAR_KEY(name, symbol, number, dom_key, dom_code) {name, {symbol, number}},
#define EASEL_SPECIAL_KEY(name, symbol, number, character, code, dom_key, dom_code) {name, {symbol, character}},
#define EASEL_KEY_ALIAS(name, symbol) {name, {symbol, symbol}},
#include "keys.def"
};

// The printable ASCII characters SDL has a key for ('%' and "{|}~" have none).
bool has_own_key(char32_t character) {
    return (character >= '!' && character <= '@' && character != '%') || (character >= '[' && character <= 'z');
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
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
    const auto named = std::find_if(std::begin(named_keys), std::end(named_keys),
                                    [&lower](const named_key& k) { return lower == lower_case(k.name); });
    if (named != std::end(named_keys)) return named->value;
    return std::nullopt;
}

const std::vector<std::string>& key_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const named_key& k : named_keys) all.emplace_back(k.name);
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
