// Hostile on purpose: plays the trick trick.txt names, then does the exercise right (one pixel off for
// `print`). The test copies this folder once per trick:
//   escape          tries every way out of the sandbox it can think of, reporting each as done or refused
//   exit N          ends with status N
//   print           prints what easel-replay prints for differing pixels
//   link TARGET     puts a link to TARGET where it should save drawing.bmp
//   fifo            puts a FIFO there
//   deep            leaves a tree 3000 folders deep in its directory
//   shm             writes 1 GB into /dev/shm and says how much it could
#include "graphics.hpp"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace easel;

void attempt(const std::string& what, bool done) { std::cout << what << ": " << (done ? "done" : "refused") << "\n"; }

bool creates(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    return fd >= 0 && close(fd) == 0;
}

std::string hook_directory() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("easel-replay-hook") != std::string::npos) {
            const std::string path = line.substr(line.find('/'));
            return path.substr(0, path.rfind('/'));
        }
    return "/nonexistent";
}

// Each would change the machine outside the sandbox. Nothing is ever written to core_pattern.
void attempts_on_host(const std::string& as) {
    const std::string hook = hook_directory();
    for (const std::string& target : {std::string("/"), std::string("/usr"), hook})
        attempt("remount " + target + " writable" + as, mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_BIND, nullptr) == 0);
    attempt("write /usr/escaped.txt" + as, creates("/usr/escaped.txt"));
    attempt("write beside the hook" + as, creates(hook + "/escaped.txt"));
    attempt("mknod" + as, mknod("null2", S_IFCHR | 0666, makedev(1, 3)) == 0);
    attempt("setuid(0)" + as, setuid(0) == 0);
    const int sysctl = open("/proc/sys/kernel/core_pattern", O_WRONLY);
    attempt("open core_pattern for writing" + as, sysctl >= 0);
    if (sysctl >= 0) close(sysctl);
    attempt("make a control group" + as, mkdir("/sys/fs/cgroup/pids/escape", 0755) == 0);
}

void escape() {
    std::cout << "uid " << getuid() << "\n";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 3, "Cap") == 0) std::cout << line << "\n";
    attempt("mount a tmpfs", mount("none", "/tmp", "tmpfs", 0, nullptr) == 0);
    attempt("chroot", chroot("/tmp") == 0);
    attempts_on_host("");
    // A user namespace of its own gives every capability, over that namespace only.
    const bool namespaced = unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0;
    std::cout << "a user namespace of its own: " << (namespaced ? "made" : "not made") << "\n";
    if (namespaced) attempts_on_host(" in a user namespace");
}

void deep() {
    for (int level = 0; level < 3000; ++level)
        if (mkdir("d", 0700) != 0 || chdir("d") != 0) break;
    chdir("/box");
}

void fill_shared_memory() {
    const std::vector<char> block(1 << 20, 'x');
    std::FILE* out = std::fopen("/dev/shm/big", "wb");
    int written = 0;
    while (out && written < 1024 && std::fwrite(block.data(), 1, block.size(), out) == block.size()) ++written;
    if (out) std::fclose(out);
    std::cout << "/dev/shm took " << written << " MB\n";
}

int main() {
    std::string trick, argument;
    std::ifstream("trick.txt") >> trick >> argument;
    if (trick == "escape") escape();
    if (trick == "deep") deep();
    if (trick == "shm") fill_shared_memory();
    if (trick == "print") std::cout << "999999 pixel(s) differ\n";
    std::cout.flush();

    const int side = trick == "print" ? 20 : 19;
    const auto draw_square = [side] {
        gout << move_to(0, 0) << color(0, 0, 0) << box(199, 199);
        gout << move_to(90, 90) << color(255, 0, 0) << box(side, side) << refresh;
    };
    gout.open(200, 200);
    draw_square();
    for (event ev; gin >> ev;) {
        if (ev.button == btn_left) gout << move_to(ev.pos_x, ev.pos_y) << color(255, 255, 255) << dot << refresh;
        if (ev.keycode == 'c') draw_square();
        if (ev.keycode == 's' && trick == "link") symlink(argument.c_str(), "drawing.bmp");
        if (ev.keycode == 's' && trick == "fifo") mkfifo("drawing.bmp", 0644);
        if (ev.keycode == 's' && trick != "link" && trick != "fifo") gout.save("drawing.bmp");
    }
    return trick == "exit" ? std::stoi(argument) : 0;
}
