// The desktop's saves: a picture goes to a new file beside the target, which is renamed over the
// target only once it is complete. Links are followed, modes kept, and a stop signal or a file-size
// limit leaves no temporary file behind.
#include <SDL.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop.hpp"
#include "library_internal.hpp"
#include "platform.hpp"

namespace easel {
namespace {

// The file a path names, through symbolic links, so that saving replaces the file and keeps the link.
std::string followed(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    const std::string resolved = real;
    std::free(real);
    return resolved;
}

// Only a regular file (a link to one was followed already) is saved over, and only one that may
// be written to: a FIFO, a device or a directory keeps what it is. A missing target is made new.
bool may_replace(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return true;
    return S_ISREG(st.st_mode) && access(path.c_str(), W_OK) == 0;
}

// The temporary files being written, listed for the stop signal handler, which removes them before
// it ends the program. A file is a directory descriptor and a serial number: the handler makes its
// name from those, with no allocation and no path.
struct listed_part {
    std::atomic<bool> taken{false};
    std::atomic<int> dir{-1};  // counts for the handler while it holds a directory
    std::atomic<unsigned long> serial{0};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<unsigned long>::is_always_lock_free,
              "signal handlers may only touch lock-free atomics");
listed_part listed_parts[16];
// Shared by every thread that saves, so that no two saves ever try the same name.
std::atomic<unsigned long> part_serial{0};

// ".easel-save-<pid>-<serial>.part", made without allocating, for the signal handler too.
struct part_name {
    char text[64];
    part_name(long pid, unsigned long serial) {
        char* end = text;
        const auto put = [&end](const char* s) {
            while (*s) *end++ = *s++;
        };
        const auto number = [&end](unsigned long n) {
            char digits[24];
            int count = 0;
            do {
                digits[count++] = static_cast<char>('0' + n % 10);
                n /= 10;
            } while (n > 0);
            while (count > 0) *end++ = digits[--count];
        };
        put(".easel-save-");
        number(static_cast<unsigned long>(pid));
        put("-");
        number(serial);
        put(".part");
        *end = '\0';
    }
};

}  // namespace

void desktop::remove_unfinished_saves() {
    for (listed_part& part : listed_parts) {
        const int dir = part.dir.load();
        if (dir >= 0) unlinkat(dir, part_name(getpid(), part.serial.load()).text, 0);
    }
}

namespace {

#ifdef O_PATH
constexpr int directory_only = O_PATH;  // no read permission needed
#else
constexpr int directory_only = O_RDONLY;
#endif

// A new empty file beside the target, made here so that no other file is overwritten, and removed
// again unless it is moved over the target. While it exists it is listed for the signal handler.
class part_file {
public:
    explicit part_file(const std::string& target)
        : dir_path(target.substr(0, target.find_last_of('/') + 1)),
          dir(::open(dir_path.empty() ? "." : dir_path.c_str(), directory_only | O_DIRECTORY | O_CLOEXEC)) {
        if (dir < 0) return;
        for (listed_part& candidate : listed_parts)
            if (!candidate.taken.exchange(true)) {
                listing = &candidate;
                break;
            }
        for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
            const unsigned long serial = part_serial.fetch_add(1);
            list(serial);
            const part_name tried(getpid(), serial);
            const int fd = openat(dir, tried.text, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                name = tried.text;
            } else {
                unlist();
                if (errno != EEXIST) break;
            }
        }
    }
    ~part_file() {
        if (!name.empty()) unlinkat(dir, name.c_str(), 0);
        unlist();
        if (listing) listing->taken = false;
        if (dir >= 0) ::close(dir);
    }
    part_file(const part_file&) = delete;
    part_file& operator=(const part_file&) = delete;

    bool made() const { return !name.empty(); }
    std::string path() const { return dir_path + name; }
    bool move_over(const std::string& target) {
        if (std::rename(path().c_str(), target.c_str()) != 0) return false;
        unlist();
        name.clear();
        return true;
    }

private:
    void list(unsigned long serial) {
        if (!listing) return;
        listing->serial = serial;
        listing->dir = dir;
    }
    void unlist() {
        if (listing) listing->dir = -1;
    }

    std::string dir_path;
    int dir;
    listed_part* listing = nullptr;
    std::string name;
};

// A file-size limit makes a write fail with EFBIG and raises SIGXFSZ, which would end the program
// with the temporary file left behind. While this exists the signal stays pending on this thread;
// one raised meanwhile is taken back, so the save just fails.
class file_size_signal_held {
public:
    file_size_signal_held() {
        sigset_t xfsz;
        sigemptyset(&xfsz);
        sigaddset(&xfsz, SIGXFSZ);
        sigset_t pending;
        sigpending(&pending);
        held = pthread_sigmask(SIG_BLOCK, &xfsz, &before) == 0 && !sigismember(&before, SIGXFSZ) &&
               !sigismember(&pending, SIGXFSZ);
    }
    ~file_size_signal_held() {
        if (!held) return;
        sigset_t xfsz;
        sigemptyset(&xfsz);
        sigaddset(&xfsz, SIGXFSZ);
        sigset_t pending;
        int taken = 0;
        if (sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ)) sigwait(&xfsz, &taken);
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    file_size_signal_held(const file_size_signal_held&) = delete;
    file_size_signal_held& operator=(const file_size_signal_held&) = delete;

private:
    sigset_t before;
    bool held = false;
};

// A file saved over keeps its permissions, as it would when written in place.
bool keeps_mode_of(const std::string& target, const std::string& part) {
    struct stat old;
    if (stat(target.c_str(), &old) != 0) return true;
    return chmod(part.c_str(), old.st_mode & 07777) == 0;
}

}  // namespace

bool platform::save(SDL_Surface* surface, const std::string& file, std::string& why) {
    const auto failed = [&why](const std::string& reason) {
        why = reason;
        return false;
    };
    errno = 0;
    const std::string target = followed(file);
    if (!may_replace(target)) return failed("only a regular file that may be written is saved over");
    part_file part(target);
    if (!part.made()) return failed(errno ? std::strerror(errno) : "no file can be made there");
    const file_size_signal_held held;
    const bool written = internal::write_picture(surface, SDL_RWFromFile(part.path().c_str(), "wb"), file) &&
                         keeps_mode_of(target, part.path()) && part.move_over(target);
    return written || failed(errno ? std::strerror(errno) : "the file could not be written");
}

}  // namespace easel
