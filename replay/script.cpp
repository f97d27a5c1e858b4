#include "script.hpp"

#include "charset.hpp"
#include "key_names.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>

namespace easel::replay {

namespace {

// A fault in one line, before its location is known; a string of its own, since it may quote a NUL byte.
struct line_error {
    std::string message;
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
    throw line_error{"missing closing quote"};
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
        throw line_error{std::string(what) + " must be a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not \"" + word + "\""};
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
    throw line_error{"unknown mouse button \"" + word + "\" (left, middle, right, wheelup, wheeldown or 1 to 5)"};
}

// Decodes UTF-8 into the characters SDL can report in a key event (U+0000 to U+FFFF).
std::vector<char32_t> decode_utf8(const std::string& text) {
    std::vector<char32_t> characters;
    for (std::size_t i = 0; i < text.size();) {
        char32_t character = 0;
        const std::size_t length = charset::utf8_character(text, i, character);
        if (length == 0) throw line_error{"text is not valid UTF-8"};
        if (character > 0xffff) throw line_error{"characters above U+FFFF cannot be typed (SDL reports 16 bits)"};
        characters.push_back(character);
        i += length;
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
        if (closed_) throw line_error{"nothing can follow close"};
        const std::string& name = words.front();
        const std::vector<std::string> arguments(words.begin() + 1, words.end());
        const auto command = std::find_if(commands.begin(), commands.end(),
                                          [&name](const command_form& form) { return name == form.name; });
        if (command == commands.end())
            throw line_error{"unknown command \"" + name + "\" (nearest: " + nearest(name, command_names()) + ")"};
        if (arguments.size() < command->least_arguments || arguments.size() > command->most_arguments)
            throw line_error{name + " takes " + argument_count(*command) + ": " + command->usage};
        if (exited_ && command->parse != &script_parser::snap && command->parse != &script_parser::expect)
            throw line_error{"only snap and expect can follow wait exit"};
        (this->*command->parse)(arguments);
    }

    // The close that ends every script, beyond the limit on steps.
    std::vector<step> finish(int last_line) {
        if (!closed_ && !exited_) {
            step s;
            s.kind = step_kind::close;
            s.line = last_line;
            steps_.push_back(std::move(s));
        }
        return std::move(steps_);
    }

private:
    using handler = void (script_parser::*)(const std::vector<std::string>&);

    struct command_form {
        const char* name;
        std::size_t least_arguments;
        std::size_t most_arguments;
        const char* usage;
        handler parse;
    };

    static const std::array<command_form, 12> commands;

    static const std::vector<std::string>& command_names() {
        static const std::vector<std::string> names = [] {
            std::vector<std::string> all;
            for (const command_form& form : commands) all.emplace_back(form.name);
            return all;
        }();
        return names;
    }

    static std::string argument_count(const command_form& form) {
        if (form.least_arguments == form.most_arguments) return std::to_string(form.least_arguments) + " argument(s)";
        return std::to_string(form.least_arguments) + " to " + std::to_string(form.most_arguments) + " arguments";
    }

    void add(step s) {
        if (steps_.size() == most_steps)
            throw line_error{"the script is too long: more than " + std::to_string(most_steps) +
                             " steps (each key, click or typed character is two)"};
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
    void key(const std::vector<std::string>& a) { keys(a, {true, false}); }
    void keydown(const std::vector<std::string>& a) { keys(a, {true}); }
    void keyup(const std::vector<std::string>& a) { keys(a, {false}); }

    void keys(const std::vector<std::string>& a, std::initializer_list<bool> presses) {
        const auto found = find_key(a[0]);
        if (!found) throw line_error{"unknown key name \"" + a[0] + "\" (nearest: " + nearest(a[0], key_names()) + ")"};
        for (const bool pressed : presses) deliver(key_event(pressed, found->sym, pressed ? found->unicode : 0));
    }

    void type(const std::vector<std::string>& a) {
        for (const char32_t character : decode_utf8(a[0])) {
            const SDLKey sym = key_of_character(character);
            deliver(key_event(true, sym, static_cast<Uint16>(character)));
            deliver(key_event(false, sym, 0));
        }
    }

    void wait(const std::vector<std::string>& a) {
        step s;
        if (a[0] == "exit") {
            exited_ = true;
            s.kind = step_kind::await_exit;
            add(std::move(s));
            return;
        }
        const std::int64_t target =
            clock_ + parse_integer(a[0], 0, longest_run_ms, "the wait in milliseconds (or exit)");
        if (target > longest_run_ms) throw line_error{"the clock would pass " + std::to_string(longest_run_ms) + " ms"};
        clock_ = target;
        s.kind = step_kind::advance;
        s.target_ms = static_cast<std::uint32_t>(clock_);
        add(std::move(s));
    }

    void snap(const std::vector<std::string>& a) {
        if (!image::has_png_extension(a[0]) && !image::has_bmp_extension(a[0]))
            throw line_error{"snap writes PNG or BMP: the file name must end in .png or .bmp"};
        step s;
        s.kind = step_kind::snap;
        s.file = file_name(a[0]);
        add(std::move(s));
    }

    // expect FILE [from SAVED] [tolerance N] [region X Y W H]
    void expect(const std::vector<std::string>& a) {
        step s;
        s.kind = step_kind::expect;
        s.file = file_name(a[0]);
        std::size_t next = 1;
        if (next < a.size() && a[next] == "from") {
            if (next + 1 == a.size()) throw line_error{"expect ... from needs the name of the file the program writes"};
            s.saved = file_name(a[next + 1]);
            next += 2;
        }
        bool tolerance = false;
        for (; next < a.size(); next = parse_rule(a, next, s.rules, tolerance)) {
        }
        add(std::move(s));
    }

    // One `tolerance N` or `region X Y W H` at a[next]; returns the index after it.
    static std::size_t parse_rule(const std::vector<std::string>& a, std::size_t next, image::comparison_rules& rules,
                                  bool& tolerance) {
        const std::size_t left = a.size() - next - 1;
        if (a[next] == "tolerance" && left >= 1 && !tolerance) {
            rules.tolerance = static_cast<int>(parse_integer(a[next + 1], 0, 255, "the tolerance"));
            tolerance = true;
            return next + 2;
        }
        if (a[next] == "region" && left >= 4 && !rules.area) {
            const auto number = [&a, next](std::size_t k, std::int64_t lowest, const char* what) {
                return static_cast<int>(parse_integer(a[next + k], lowest, image::max_side, what));
            };
            rules.area = image::region{number(1, 0, "a region's x"), number(2, 0, "a region's y"),
                                       number(3, 1, "a region's width"), number(4, 1, "a region's height")};
            return next + 5;
        }
        throw line_error{"expect takes FILE [from SAVED] [tolerance N] [region X Y W H], each part once; not \"" +
                         a[next] + "\""};
    }

    // Names go to the system as C strings: one with a NUL byte would name another file.
    static std::string file_name(const std::string& word) {
        if (word.find('\0') != std::string::npos) throw line_error{"the file name \"" + word + "\" holds a NUL byte"};
        return word;
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
    bool exited_ = false;
};

const std::array<script_parser::command_form, 12> script_parser::commands{{
    {"move", 2, 2, "move X Y", &script_parser::move},
    {"press", 3, 3, "press BUTTON X Y", &script_parser::press},
    {"release", 3, 3, "release BUTTON X Y", &script_parser::release},
    {"click", 3, 3, "click BUTTON X Y", &script_parser::click},
    {"key", 1, 1, "key NAME", &script_parser::key},
    {"keydown", 1, 1, "keydown NAME", &script_parser::keydown},
    {"keyup", 1, 1, "keyup NAME", &script_parser::keyup},
    {"type", 1, 1, "type \"TEXT\"", &script_parser::type},
    {"wait", 1, 1, "wait MILLISECONDS, or wait exit", &script_parser::wait},
    {"snap", 1, 1, "snap FILE", &script_parser::snap},
    {"expect", 1, 10, "expect FILE [from SAVED] [tolerance N] [region X Y W H]", &script_parser::expect},
    {"close", 0, 0, "close", &script_parser::close},
}};

// Reading stops at this many faulty lines.
constexpr std::size_t faults_shown = 10;

// Splits the text into lines without their ends (\n or \r\n); refuses overlong ones.
class line_reader {
public:
    explicit line_reader(const std::string& text) : text_(text) {
        const std::string byte_order_mark = "\xef\xbb\xbf";
        if (text_.compare(0, byte_order_mark.size(), byte_order_mark) == 0) position_ = byte_order_mark.size();
    }

    bool next(std::string& line) {
        if (position_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', position_);
        if (end == std::string::npos) end = text_.size();
        const std::size_t length = end - position_;
        line = length > longest_line ? std::string() : text_.substr(position_, length);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        overlong_ = length > longest_line;
        position_ = end + 1;
        return true;
    }

    bool overlong() const { return overlong_; }

private:
    const std::string& text_;
    std::size_t position_ = 0;
    bool overlong_ = false;
};

}  // namespace

std::string printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        shown += escaped;
    }
    return shown;
}

std::vector<step> parse_script(const std::string& text, const std::string& name) {
    if (text.size() > longest_script)
        throw script_error(printable(name) + ": the script is longer than " + std::to_string(longest_script) +
                           " bytes (the limit)\n");
    script_parser parser;
    std::string faults;
    std::size_t fault_count = 0;
    const auto fault = [&](int number, const std::string& message) {
        ++fault_count;
        faults += printable(name + ":" + std::to_string(number) + ": " + message) + "\n";
    };
    line_reader lines(text);
    std::string line;
    int number = 0;
    while (fault_count < faults_shown && lines.next(line)) {
        ++number;
        if (lines.overlong()) {
            fault(number, "the line is longer than " + std::to_string(longest_line) + " bytes (the limit)");
            continue;
        }
        if (is_comment_or_blank(line)) continue;
        try {
            parser.parse(split_words(line), number);
        } catch (const line_error& failure) {
            fault(number, failure.message);
        }
    }
    if (fault_count == faults_shown && lines.next(line))
        faults += printable(name) + ": the lines after " + std::to_string(number) + " were not checked\n";
    if (!faults.empty()) throw script_error(faults);
    return parser.finish(number);
}

namespace {

std::string read_script_text(const std::string& path) {
    const auto refuse = [&path](const std::string& why) { return script_error(printable(path) + ": " + why + "\n"); };
    if (path.find('\0') != std::string::npos) throw refuse("a file name cannot hold a NUL byte");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw refuse(std::string("cannot open the script: ") + std::strerror(errno));
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) throw refuse("is a directory, not a script");
    std::string text(longest_script + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) throw refuse(std::string("cannot read the script: ") + std::strerror(errno));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace

std::vector<step> read_script(const std::string& path) { return parse_script(read_script_text(path), path); }

std::vector<command_words> read_script_words(const std::string& path) {
    const std::string text = read_script_text(path);
    parse_script(text, path);
    std::vector<command_words> commands;
    line_reader lines(text);
    std::string line;
    for (int number = 1; lines.next(line); ++number)
        if (!is_comment_or_blank(line)) commands.push_back({number, split_words(line)});
    return commands;
}

namespace {

std::string directory_of(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

std::optional<std::string> unwritable(const std::string& file) {
    struct stat status {};
    if (stat(file.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return "is a directory";
    const std::string directory = directory_of(file);
    if (stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return "the directory " + directory + " does not exist";
    if (access(directory.c_str(), W_OK) != 0) return "the directory " + directory + " is not writable";
    return std::nullopt;
}

}  // namespace

void check_files(const std::vector<step>& steps, const std::string& name) {
    std::string faults;
    for (const step& s : steps) {
        if (s.kind != step_kind::snap) continue;
        if (const auto why = unwritable(s.file))
            faults += printable(name + ":" + std::to_string(s.line) + ": snap " + s.file + ": " + *why) + "\n";
    }
    if (!faults.empty()) throw script_error(faults);
}

}  // namespace easel::replay
