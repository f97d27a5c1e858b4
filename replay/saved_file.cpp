#include "saved_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <utility>
#include <vector>

namespace easel::replay {

namespace {

class descriptor {
public:
    explicit descriptor(int fd) : fd_(fd) {}
    ~descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
    descriptor& operator=(descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

std::vector<std::string> components(const std::string& name) {
    std::vector<std::string> parts;
    std::istringstream path(name);
    for (std::string part; std::getline(path, part, '/');)
        if (!part.empty() && part != ".") parts.push_back(part);
    return parts;
}

[[noreturn]] void refuse(const std::string& name, const std::string& reason) {
    throw image::image_error(name + ": " + reason);
}

std::string open_failure(int error) {
    return error == ELOOP ? "a symbolic link, not a file the program saved" : std::string("cannot open (") + std::strerror(error) + ")";
}

}  // namespace

image::picture read_saved_picture(const std::string& name) {
    const std::vector<std::string> parts = components(name);
    if (name.empty() || name[0] == '/' || parts.empty()) refuse(name, "not a file in the program's directory");
    descriptor directory(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0) refuse(name, std::strerror(errno));
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] == "..") refuse(name, "not a file in the program's directory");
        descriptor inner(openat(directory.get(), parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (inner.get() < 0) refuse(name, open_failure(errno));
        directory = std::move(inner);
    }
    if (parts.back() == "..") refuse(name, "not a file in the program's directory");
    // O_NONBLOCK: a FIFO in the file's place opens at once and is refused below.
    const descriptor file(openat(directory.get(), parts.back().c_str(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) refuse(name, open_failure(errno));
    struct stat status {};
    if (fstat(file.get(), &status) != 0) refuse(name, std::strerror(errno));
    if (!S_ISREG(status.st_mode)) refuse(name, "not a regular file");
    if (status.st_size > longest_saved_file) refuse(name, "larger than 64 MB");
    // The descriptor's own name reopens the very file checked above.
    const std::string opened = "/proc/self/fd/" + std::to_string(file.get());
    try {
        return image::read_image(opened);
    } catch (const image::image_error& failure) {
        std::string reason = failure.what();
        if (reason.compare(0, opened.size(), opened) == 0) reason.replace(0, opened.size(), name);
        throw image::image_error(reason);
    }
}

}  // namespace easel::replay
