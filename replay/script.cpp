#include "script.hpp"

#include "key_names.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <fstream>
#include <limits>

namespace easel::replay {

namespace {

// A fault in one line, before its location is known.
struct line_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr std::int64_t longest_run_ms = std::numeric_limits<std::int32_t>::max();

std::string unquote(const std::string& line, std::size_t& position) {
    std::string text;
    for (++position; position < line.size(); ++position) {
        char c = line[position];
        if (c == '"') {
            ++position;
            return text;
        }
        if (c == '\\' && position + 1 < line.size()) c = line[++position];
        text += c;
    }
    throw line_error("missing closing quote");
}

// Words separated by blanks; a word in double quotes may hold blanks, \" and \\.
std::vector<std::string> split_words(const std::string& line) {
    std::vector<std::string> words;
    std::size_t position = 0;
    for (;;) {
        while (position < line.size() && std::isspace(static_cast<unsigned char>(line[position]))) ++position;
        if (position == line.size()) return words;
        if (line[position] == '"') {
            words.push_back(unquote(line, position));
            continue;
        }
        const std::size_t start = position;
        while (position < line.size() && !std::isspace(static_cast<unsigned char>(line[position]))) ++position;
        words.push_back(line.substr(start, position - start));
    }
}

bool is_comment_or_blank(const std::string& line) {
    const auto first = std::find_if_not(line.begin(), line.end(), [](unsigned char c) { return std::isspace(c); });
    return first == line.end() || *first == '#';
}

std::int64_t parse_integer(const std::string& word, std::int64_t lowest, std::int64_t highest, const char* what) {
    std::int64_t value = 0;
    const auto [end, fault] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (fault != std::errc() || end != word.data() + word.size() || value < lowest || value > highest)
        throw line_error(std::string(what) + " must be a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not \"" + word + "\"");
    return value;
}

// SDL carries positions as unsigned 16-bit numbers, so a negative one arrives wrapped as it would from SDL.
Uint16 parse_coordinate(const std::string& word) {
    return static_cast<Uint16>(parse_integer(word, std::numeric_limits<Sint16>::min(),
                                             std::numeric_limits<Uint16>::max(), "a coordinate"));
}

Uint8 parse_button(const std::string& word) {
    static const char* const names[] = {"left", "middle", "right", "wheelup", "wheeldown"};
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (Uint8 button = 1; button <= std::size(names); ++button)
        if (lower == names[button - 1] || lower == std::to_string(button)) return button;
    throw line_error("unknown mouse button \"" + word + "\" (left, middle, right, wheelup, wheeldown or 1 to 5)");
}

// Decodes UTF-8 into the characters SDL can report in a key event (U+0000 to U+FFFF).
std::vector<char32_t> decode_utf8(const std::string& text) {
    std::vector<char32_t> characters;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xc2 && lead < 0xe0 ? 2 : lead >= 0xe0 && lead < 0xf0 ? 3
                         : lead >= 0xf0 && lead < 0xf5                  ? 4 : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) throw line_error("text is not valid UTF-8");
        char32_t character = length == 1 ? lead : lead & (0x7f >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xc0) != 0x80) throw line_error("text is not valid UTF-8");
            character = character << 6 | (next & 0x3f);
        }
        const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (character < shortest[length] || (character >= 0xd800 && character < 0xe000) || character > 0x10ffff)
            throw line_error("text is not valid UTF-8");
        if (character > 0xffff) throw line_error("characters above U+FFFF cannot be typed (SDL reports 16 bits)");
        characters.push_back(character);
        i += static_cast<std::size_t>(length);
    }
    return characters;
}

SDL_Event motion_event(Uint16 x, Uint16 y) {
    SDL_Event event{};
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

SDL_Event button_event(bool pressed, Uint8 button, Uint16 x, Uint16 y) {
    SDL_Event event{};
    event.button.type = pressed ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event key_event(bool pressed, SDLKey sym, Uint16 unicode) {
    SDL_Event event{};
    event.key.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = KMOD_NONE;
    event.key.keysym.unicode = unicode;
    return event;
}

class script_parser {
public:
    // Adds the steps of one command line.
    void parse(const std::vector<std::string>& words, int line) {
        line_ = line;
        if (closed_) throw line_error("nothing can follow close");
        const std::string& name = words.front();
        const std::vector<std::string> arguments(words.begin() + 1, words.end());
        const auto command = std::find_if(commands.begin(), commands.end(),
                                          [&name](const command_form& form) { return name == form.name; });
        if (command == commands.end()) throw line_error("unknown command \"" + name + "\"");
        if (arguments.size() != command->arguments)
            throw line_error(name + " takes " + std::to_string(command->arguments) + " argument(s): " + command->usage);
        (this->*command->parse)(arguments);
    }

    std::vector<step> finish(int last_line) {
        if (!closed_) {
            line_ = last_line;
            close({});
        }
        return std::move(steps_);
    }

private:
    using handler = void (script_parser::*)(const std::vector<std::string>&);

    struct command_form {
        const char* name;
        std::size_t arguments;
        const char* usage;
        handler parse;
    };

    static const std::array<command_form, 10> commands;

    void add(step s) {
        s.line = line_;
        steps_.push_back(std::move(s));
    }

    void deliver(const SDL_Event& event) {
        step s;
        s.kind = step_kind::deliver;
        s.event = event;
        add(std::move(s));
    }

    void move(const std::vector<std::string>& a) { deliver(motion_event(parse_coordinate(a[0]), parse_coordinate(a[1]))); }

    void press(const std::vector<std::string>& a) { buttons(a, {true}); }
    void release(const std::vector<std::string>& a) { buttons(a, {false}); }
    void click(const std::vector<std::string>& a) { buttons(a, {true, false}); }

    void buttons(const std::vector<std::string>& a, std::initializer_list<bool> presses) {
        const Uint8 button = parse_button(a[0]);
        const Uint16 x = parse_coordinate(a[1]);
        const Uint16 y = parse_coordinate(a[2]);
        for (const bool pressed : presses) deliver(button_event(pressed, button, x, y));
    }

    // SDL translates only presses into characters: a release carries none.
    void key(const std::vector<std::string>& a) {
        const auto found = find_key(a[0]);
        if (!found) throw line_error("unknown key name \"" + a[0] + "\"");
        deliver(key_event(true, found->sym, found->unicode));
        deliver(key_event(false, found->sym, 0));
    }

    void type(const std::vector<std::string>& a) {
        for (const char32_t character : decode_utf8(a[0])) {
            const SDLKey sym = key_of_character(character);
            deliver(key_event(true, sym, static_cast<Uint16>(character)));
            deliver(key_event(false, sym, 0));
        }
    }

    void wait(const std::vector<std::string>& a) {
        const std::int64_t target = clock_ + parse_integer(a[0], 0, longest_run_ms, "the wait in milliseconds");
        if (target > longest_run_ms) throw line_error("the clock would pass " + std::to_string(longest_run_ms) + " ms");
        clock_ = target;
        step s;
        s.kind = step_kind::advance;
        s.target_ms = static_cast<std::uint32_t>(clock_);
        add(std::move(s));
    }

    void snap(const std::vector<std::string>& a) {
        if (!image::has_png_extension(a[0]) && !image::has_bmp_extension(a[0]))
            throw line_error("snap writes PNG or BMP: the file name must end in .png or .bmp");
        step s;
        s.kind = step_kind::snap;
        s.file = a[0];
        add(std::move(s));
    }

    void expect(const std::vector<std::string>& a) {
        step s;
        s.kind = step_kind::expect;
        s.file = a[0];
        try {
            s.expected = image::read_image(a[0]);
        } catch (const image::image_error& failure) {
            throw line_error(std::string("expect: ") + failure.what());
        }
        add(std::move(s));
    }

    void close(const std::vector<std::string>&) {
        closed_ = true;
        step s;
        s.kind = step_kind::close;
        add(std::move(s));
    }

    std::vector<step> steps_;
    int line_ = 0;
    std::int64_t clock_ = 0;
    bool closed_ = false;
};

const std::array<script_parser::command_form, 10> script_parser::commands{{
    {"move", 2, "move X Y", &script_parser::move},
    {"press", 3, "press BUTTON X Y", &script_parser::press},
    {"release", 3, "release BUTTON X Y", &script_parser::release},
    {"click", 3, "click BUTTON X Y", &script_parser::click},
    {"key", 1, "key NAME", &script_parser::key},
    {"type", 1, "type \"TEXT\"", &script_parser::type},
    {"wait", 1, "wait MILLISECONDS", &script_parser::wait},
    {"snap", 1, "snap FILE", &script_parser::snap},
    {"expect", 1, "expect FILE", &script_parser::expect},
    {"close", 0, "close", &script_parser::close},
}};

}  // namespace

std::vector<step> parse_script(std::istream& text, const std::string& name) {
    script_parser parser;
    std::string faults;
    std::string line;
    int number = 0;
    while (std::getline(text, line)) {
        ++number;
        if (is_comment_or_blank(line)) continue;
        try {
            parser.parse(split_words(line), number);
        } catch (const line_error& fault) {
            faults += name + ":" + std::to_string(number) + ": " + fault.what() + "\n";
        }
    }
    if (!faults.empty()) throw script_error(faults);
    return parser.finish(number);
}

std::vector<step> read_script(const std::string& path) {
    std::ifstream text(path);
    if (!text) throw script_error(path + ": cannot open the script\n");
    return parse_script(text, path);
}

}  // namespace easel::replay
