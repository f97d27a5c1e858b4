// Windows' side of the platform interface: Ctrl-C through the C library's signals, no display to
// watch, and saves that replace a file only with a complete picture (MoveFileExW). File names are
// UTF-8, as SDL takes them.
#include <SDL.h>

#include <windows.h>

#include <atomic>
#include <csignal>
#include <string>

#include "library_internal.hpp"
#include "platform.hpp"

namespace easel {
namespace {

std::atomic<bool> stop_signal{false};

// The temporary files being written, listed so that a second Ctrl-C, which ends the program,
// removes them first. Windows runs the handler on a thread of its own, so it may call DeleteFileW.
struct listed_part {
    std::atomic<bool> taken{false};
    std::atomic<bool> written{false};
    wchar_t path[MAX_PATH + 64] = {};
};
listed_part listed_parts[16];
std::atomic<unsigned long> part_serial{0};

void remove_unfinished_saves() {
    for (listed_part& part : listed_parts)
        if (part.written) DeleteFileW(part.path);
}

// The first Ctrl-C asks the reader to stop; a second one before that read ends the program, as if
// the library did not handle it. Windows sets a signal back to its default before the handler runs.
extern "C" void note_stop_signal(int sig) {
    if (stop_signal.exchange(true)) {
        remove_unfinished_saves();
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    std::signal(sig, note_stop_signal);
}

std::wstring wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                        length);
    return text;
}

std::string utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr,
                        nullptr);
    return bytes;
}

// Only a file that may be written is saved over: a directory or a read-only file keeps what it is.
// A missing target is made new.
bool may_replace(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// A new empty file beside the target, made here (CREATE_NEW) so that no other file is overwritten,
// and removed again unless it is moved over the target.
class part_file {
public:
    explicit part_file(const std::wstring& target) {
        const std::wstring dir = target.substr(0, target.find_last_of(L"/\\") + 1);
        for (listed_part& candidate : listed_parts)
            if (!candidate.taken.exchange(true)) {
                listing = &candidate;
                break;
            }
        for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
            const std::wstring tried = dir + L".easel-save-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(part_serial.fetch_add(1)) + L".part";
            const HANDLE file = CreateFileW(tried.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
                name = tried;
                list();
            } else if (GetLastError() != ERROR_FILE_EXISTS) {
                break;
            }
        }
    }
    ~part_file() {
        if (!name.empty()) DeleteFileW(name.c_str());
        unlist();
        if (listing) listing->taken = false;
    }
    part_file(const part_file&) = delete;
    part_file& operator=(const part_file&) = delete;

    bool made() const { return !name.empty(); }
    std::string path() const { return utf8(name); }
    bool move_over(const std::wstring& target) {
        if (!MoveFileExW(name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        unlist();
        name.clear();
        return true;
    }

private:
    void list() {
        if (!listing || name.size() >= sizeof listing->path / sizeof listing->path[0]) return;
        name.copy(listing->path, name.size());
        listing->path[name.size()] = L'\0';
        listing->written = true;
    }
    void unlist() {
        if (listing) listing->written = false;
    }

    listed_part* listing = nullptr;
    std::wstring name;
};

}  // namespace

// Left alone when the program has its own handling.
void platform::take_stop_signals() {
    for (const int sig : {SIGINT, SIGTERM}) {
        const auto previous = std::signal(sig, note_stop_signal);
        if (previous != SIG_DFL && previous != SIG_ERR) std::signal(sig, previous);
    }
}

bool platform::stop_requested() { return stop_signal; }

// Windows keeps no X display to lose.
void platform::watch_display() {}

bool platform::display_lost() { return false; }

bool platform::save(SDL_Surface* surface, const std::string& file, std::string& why) {
    const auto failed = [&why](const char* reason) {
        why = reason;
        return false;
    };
    const std::wstring target = wide(file);
    if (target.empty()) return failed(file.empty() ? "the name is empty" : "the name is not UTF-8");
    if (!may_replace(target)) return failed("only a file that may be written is saved over");
    part_file part(target);
    if (!part.made()) return failed("no file can be made there");
    const bool written =
        internal::write_picture(surface, SDL_RWFromFile(part.path().c_str(), "wb"), file) && part.move_over(target);
    return written || failed("the file could not be written");
}

}  // namespace easel
