#include "protocol.hpp"

#include <sys/socket.h>

#include <cerrno>

namespace easel::replay {

bool send_all(int fd, const void* data, std::size_t size) {
    const auto* next = static_cast<const char*>(data);
    while (size > 0) {
        // MSG_NOSIGNAL: a vanished peer is an ordinary failure here, not a SIGPIPE.
        const ssize_t sent = ::send(fd, next, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        next += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool receive_all(int fd, void* data, std::size_t size) {
    auto* next = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t received = ::recv(fd, next, size, 0);
        if (received < 0 && errno == EINTR) continue;
        if (received <= 0) return false;
        next += received;
        size -= static_cast<std::size_t>(received);
    }
    return true;
}

}  // namespace easel::replay
