// Plays the part of a window manager towards one window, through WM_PROTOCOLS client messages:
//     e2e_wm close <window id>               asks the window to close (WM_DELETE_WINDOW)
//     e2e_wm ping <window id> <milliseconds>  sends _NET_WM_PING and waits for the answer
// The display comes from DISPLAY. Exit status: 0 done, 1 X error, 2 usage, 3 no answer in time.
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int usage_error = 2;
constexpr int no_answer = 3;

bool parse_number(const char* text, unsigned long& number) {
    char* end = nullptr;
    number = std::strtoul(text, &end, 0);
    return *text != '\0' && *end == '\0';
}

void send_protocol(Display* display, Window window, const char* protocol, long argument) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, protocol, False));
    message.xclient.data.l[1] = argument;
    message.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &message);
}

// The answer to a ping is the same message sent back to the root window.
bool is_answer(const XEvent& event, Atom ping_atom, Window window, long token) {
    return event.type == ClientMessage && event.xclient.format == 32 &&
           event.xclient.data.l[0] == static_cast<long>(ping_atom) && event.xclient.data.l[1] == token &&
           event.xclient.data.l[2] == static_cast<long>(window);
}

bool ping(Display* display, Window window, std::chrono::milliseconds timeout) {
    using std::chrono::milliseconds;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const long token = getpid();
    send_protocol(display, window, "_NET_WM_PING", token);
    XSync(display, False);
    const Atom ping_atom = XInternAtom(display, "_NET_WM_PING", False);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (is_answer(event, ping_atom, window, token)) {
                return true;
            }
        }
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        if (left.count() <= 0 || poll(&connection, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
    }
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s close <window id> | ping <window id> <milliseconds>\n", program);
    return usage_error;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long window = 0;
    unsigned long milliseconds = 0;
    const bool is_close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    const bool is_ping = argc == 4 && std::strcmp(argv[1], "ping") == 0 && parse_number(argv[3], milliseconds);
    if (!(is_close || is_ping) || !parse_number(argv[2], window)) {
        return usage(argv[0]);
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    // X errors, such as a window that no longer exists, end the process through Xlib's handler.
    int status = 0;
    if (is_close) {
        send_protocol(display, window, "WM_DELETE_WINDOW", CurrentTime);
        XSync(display, False);
    } else if (!ping(display, window, std::chrono::milliseconds(milliseconds))) {
        std::fprintf(stderr, "%s: window %lu did not answer a ping within %lu ms\n", argv[0], window, milliseconds);
        status = no_answer;
    }
    XCloseDisplay(display);
    return status;
}
