// What easel-replay and the hook it preloads into the program say to each other over their socket.
//
// Whenever the program waits for an event and nothing is queued or due, the hook sends next_command and
// blocks for a `command`. A snapshot command is answered with a picture_header and its pixels before
// the next request. Each timer tick served inside a wait is announced with `tick` (no answer), so that
// easel-replay times the program's own work, not the length of the wait. A program that ends without
// having been told to quit sends last_picture, a picture_header and the pixels it showed last (0 x 0
// when it never showed any).
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

namespace easel::replay {

// Environment variable naming the hook's end of the socket.
inline constexpr const char* socket_variable = "EASEL_REPLAY_FD";

// waits_for_nothing: the program asks for an event with no window open and no timer running, so
// that nothing could ever come on screen; easel-replay stops it.
enum class request : std::uint32_t {
    next_command = 0x4e455854,
    tick = 0x5449434b,
    last_picture = 0x4c415354,
    waits_for_nothing = 0x4e4f5448,
};

enum class command_kind : std::uint32_t {
    deliver,   // return `event` to the program
    advance,   // move the clock to `target_ms`, firing every timer due on the way
    snapshot,  // send the picture last shown by SDL_Flip
    quit,      // return SDL_QUIT now and on every later wait
};

struct command {
    command_kind kind;
    std::uint32_t target_ms;
    SDL_Event event;
};

struct picture_header {
    std::uint32_t width;
    std::uint32_t height;
};

// Both return false once the other side has gone.
bool send_all(int fd, const void* data, std::size_t size);
bool receive_all(int fd, void* data, std::size_t size);

}  // namespace easel::replay
