// The screen: the one window (gout), SDL's start and end, and saving a canvas as a picture.
#include "graphics.hpp"

#include <SDL.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "charset.hpp"
#include "explain.hpp"
#include "library_internal.hpp"
#include "platform.hpp"
#include "png_writer.hpp"

namespace easel {

using internal::as_asked;
using internal::fits;
using internal::not_open_advice;
using internal::pixel_access;
using internal::reads_as_utf8;

namespace {

bool has_png_name(const std::string& file) {
    if (file.size() < 4) return false;
    std::string suffix = file.substr(file.size() - 4);
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".png";
}

// A window scaled up (SDL12COMPAT_WINDOW_SCALING, or a high-density screen) keeps its pixels
// square and sharp, unless the user chose how to scale. Read when the video mode is set.
void ask_for_sharp_scaling() {
    static char nearest[] = "SDL12COMPAT_SCALE_METHOD=nearest";
    if (!SDL_getenv("SDL12COMPAT_SCALE_METHOD")) SDL_putenv(nearest);
}

}  // namespace

// A PNG from the library's own encoder, or a BMP from SDL.
bool internal::write_picture(SDL_Surface* surface, SDL_RWops* out, const std::string& name) {
    if (!out) return false;
    if (!has_png_name(name)) return SDL_SaveBMP_RW(surface, out, 1) == 0;
    bool written = false;
    {
        const pixel_access access(surface);
        const auto to_file = [out](const unsigned char* bytes, std::size_t count) {
            return static_cast<std::size_t>(SDL_RWwrite(out, bytes, 1, static_cast<int>(count))) == count;
        };
        if (access)
            written = png::encode({static_cast<const std::uint32_t*>(surface->pixels), surface->w, surface->h,
                                   surface->pitch / 4},
                                  to_file);
    }
    return SDL_RWclose(out) == 0 && written;
}

// Saving is the platform's: on the desktop the picture goes to a new file beside the target, which
// takes the target's place only once it is complete, so a failed save leaves the old file as it was.
bool canvas::save(const std::string& file) const {
    internal::tell_kept(*this);
    std::string why = "the canvas is not open";
    const bool saved = buf && platform::save(buf, file, why);
    if (!saved) explain::say(explain::kind::save_failed, "save(" + explain::quoted(file) + ") failed: " + why);
    return saved;
}

groutput& groutput::instance() {
    static groutput single_inst;
    return single_inst;
}

groutput::groutput() {
    platform::take_stop_signals();
    ask_for_sharp_scaling();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) std::_Exit(1);
    SDL_EnableUNICODE(1);
    SDL_SetEventFilter(internal::take_window_input);
    platform::watch_display();
    attach(nullptr);
}

groutput::~groutput() {
    internal::tell_kept(*this);
    buf = nullptr;
    if (!platform::display_lost()) SDL_Quit();
}

bool groutput::open(unsigned width, unsigned height, bool fullscreen) {
    internal::tell_kept(*this);
    const Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | (fullscreen ? SDL_FULLSCREEN : 0u);
    const std::string call = "gout.open(" + std::to_string(width) + ", " + std::to_string(height) + ")";
    const std::optional<std::string> no_screen = platform::unasked_screenless_driver();
    SDL_Surface* screen = fits(width, height) && !no_screen
                              ? SDL_SetVideoMode(static_cast<int>(width), static_cast<int>(height), 32, flags)
                              : nullptr;
    if (no_screen)
        explain::say(explain::kind::open_refused, call + " failed: no display answers" + *no_screen +
                                                      ", so no window can be shown; run it on a desktop, or set "
                                                      "SDL_VIDEODRIVER=dummy to run it without a screen");
    else if (!screen || !as_asked(screen, width, height))
        internal::explain_open_refused(call, width, height);
    attach(screen && as_asked(screen, width, height) ? screen : nullptr);
    pt_x = static_cast<int>(width / 2);
    pt_y = static_cast<int>(height / 2);
    // The video surface is not always handed back zeroed; programs rely on a black start.
    if (buf) SDL_FillRect(buf, nullptr, 0);
    return buf != nullptr;
}

void groutput::title(const std::string& text) {
    std::string utf8 = text;
    if (!reads_as_utf8(text)) {
        utf8.clear();
        for (const char byte : text)
            utf8 += charset::utf8(charset::latin2_character(static_cast<unsigned char>(byte)));
    }
    SDL_WM_SetCaption(utf8.c_str(), nullptr);
}

void groutput::refresh() {
    internal::tell_kept(*this);
    if (buf)
        SDL_Flip(buf);
    else
        explain::say(explain::kind::no_surface, "refresh before open: " + not_open_advice(true));
}

}  // namespace easel
