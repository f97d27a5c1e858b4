// The desktop's stop signals (SIGINT, SIGTERM) and its watch on the X display.
#include <dlfcn.h>

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "desktop.hpp"
#include "platform.hpp"

// Xlib's display, by the name Xlib gives it, for the type of its I/O error handler.
struct _XDisplay;

namespace easel {
namespace {

// Set from a signal handler, on whichever thread takes the signal.
std::atomic<bool> stop_signal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "signal handlers may only touch lock-free atomics");
bool lost = false;

// The first SIGINT or SIGTERM asks the reader to stop; a second one before that read ends the
// program, as if the library did not handle them.
extern "C" void note_stop_signal(int sig) {
    if (stop_signal.exchange(true)) {
        desktop::remove_unfinished_saves();
        std::signal(sig, SIG_DFL);
        std::raise(sig);
    }
}

// Xlib ends the process when the display goes away; SDL's shutdown at exit would then wait on
// the dead connection for ever. Xlib is reached only if SDL has loaded it.
using io_error_handler = int (*)(_XDisplay*);
io_error_handler xlib_io_error_handler = nullptr;

int note_display_lost(_XDisplay* display) {
    lost = true;
    if (xlib_io_error_handler) return xlib_io_error_handler(display);
    std::exit(1);
}

}  // namespace

// Left alone when the program has its own handling. Done before SDL starts, which then leaves
// them alone too.
void platform::take_stop_signals() {
    for (const int sig : {SIGINT, SIGTERM}) {
        struct sigaction current = {};
        if (sigaction(sig, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction mine = {};
        mine.sa_handler = note_stop_signal;
        sigemptyset(&mine.sa_mask);
        mine.sa_flags = SA_RESTART;
        sigaction(sig, &mine, nullptr);
    }
}

bool platform::stop_requested() { return stop_signal; }

void platform::watch_display() {
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib) return;
    using setter = io_error_handler (*)(io_error_handler);
    if (auto* set = reinterpret_cast<setter>(dlsym(xlib, "XSetIOErrorHandler"))) {
        xlib_io_error_handler = set(note_display_lost);
    }
    dlclose(xlib);
}

bool platform::display_lost() { return lost; }

}  // namespace easel
