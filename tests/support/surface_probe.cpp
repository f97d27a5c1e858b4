#include "surface_probe.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace easel_test {

namespace {
Uint32* address(SDL_Surface* s, int x, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch) + x;
}
}  // namespace

Uint32 pixel_at(SDL_Surface* s, int x, int y) { return *address(s, x, y); }

void set_pixel(SDL_Surface* s, int x, int y, Uint32 value) { *address(s, x, y) = value; }

Uint32 screen_pixel(int x, int y) { return pixel_at(SDL_GetVideoSurface(), x, y); }

std::vector<point> lit_pixels(SDL_Surface* s) {
    std::vector<point> lit;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (pixel_at(s, x, y) != 0) lit.emplace_back(x, y);
    return lit;
}

void fill(SDL_Surface* s, Uint32 value) { SDL_FillRect(s, nullptr, value); }

bool in_fresh_process() {
    static const char* const marker = "EASEL_TEST_FRESH_PROCESS";
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    const char* fresh = std::getenv(marker);
    if (fresh && name == fresh) return true;
    const std::string filter = "--gtest_filter=" + name;
    const pid_t child = fork();
    if (child == 0) {
        setenv(marker, name.c_str(), 1);
        execl("/proc/self/exe", "/proc/self/exe", filter.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        ADD_FAILURE() << "could not run " << name << " in a process of its own";
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        ADD_FAILURE() << name << " failed in its own process (status " << status << "); its output is above";
    return false;
}

}  // namespace easel_test
