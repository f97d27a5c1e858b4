// Off-screen canvases, copies between canvases with black as transparent, and stamps.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "image.hpp"
#include "surface_probe.hpp"

using namespace easel;
using easel_test::lit_pixels;
using easel_test::pixel_at;
using easel_test::probe_canvas;
using easel_test::screen_pixel;

namespace {

constexpr Uint32 grey = 0x808080;
constexpr Uint32 white = 0xFFFFFF;

// A 40 x 30 sprite: black, with a white 2 x 2 square at (1, 1) and a white far corner.
probe_canvas make_sprite() {
    probe_canvas sprite(40, 30);
    sprite << move_to(1, 1) << box(1, 1) << move_to(39, 29) << dot;
    return sprite;
}

SDL_Surface* open_grey_screen(unsigned w, unsigned h) {
    EXPECT_TRUE(gout.open(w, h));
    SDL_Surface* screen = SDL_GetVideoSurface();
    easel_test::fill(screen, grey);
    return screen;
}

long resident_kib() {
    long pages = 0, resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) ADD_FAILURE() << "no /proc/self/statm";
    if (statm) std::fclose(statm);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(Offscreen, NewCanvasIsBlackWithThePenCentred) {
    const probe_canvas even(40, 30);
    ASSERT_NE(even.surface(), nullptr);
    EXPECT_EQ(even.surface()->w, 40);
    EXPECT_EQ(even.surface()->h, 30);
    EXPECT_TRUE(lit_pixels(even.surface()).empty());
    EXPECT_EQ(even.x(), 20);
    EXPECT_EQ(even.y(), 15);
    EXPECT_EQ(even.color(), 0xFFFFFF);
    EXPECT_FALSE(even.is_transparent());
    const probe_canvas odd(41, 31);
    EXPECT_EQ(odd.x(), 20);
    EXPECT_EQ(odd.y(), 15);
}

TEST(Offscreen, TakesEveryDrawingCommandAndIgnoresRefresh) {
    probe_canvas c(20, 20);
    c << color(1, 2, 3) << move_to(2, 2) << line(3, 0) << box(1, 1) << refresh;
    EXPECT_EQ(pixel_at(c.surface(), 2, 2), 0x010203u);
    EXPECT_EQ(pixel_at(c.surface(), 6, 3), 0x010203u);
    EXPECT_EQ(lit_pixels(c.surface()).size(), 4u + 3u);
    EXPECT_EQ(c.x(), 6);
}

TEST(Offscreen, FailedOpenLeavesAHarmlessCanvas) {
    probe_canvas screen_copy_target(10, 10);
    for (probe_canvas broken : {probe_canvas(0, 0), probe_canvas(-1, 5), probe_canvas(100000, 2)}) {
        EXPECT_EQ(broken.surface(), nullptr);
        EXPECT_FALSE(broken.move_point(0, 0));
        broken << line(3, 3) << box(1, 1) << dot << text("x") << stamp(screen_copy_target, 0, 0) << refresh;
        EXPECT_FALSE(broken.save(::testing::TempDir() + "broken.bmp"));
        screen_copy_target << stamp(broken, 0, 0);
    }
    probe_canvas never_opened;
    EXPECT_FALSE(never_opened.move_point(0, 0));
    EXPECT_TRUE(lit_pixels(screen_copy_target.surface()).empty());
}

TEST(Offscreen, AFailedReopenLeavesNothingToDrawOn) {
    probe_canvas c(10, 10);
    probe_canvas old = c;
    ASSERT_FALSE(c.open(0, 0));
    c << move_to(0, 0) << dot << move(1, 1) << dot << line_to(3, 3);
    EXPECT_EQ(c.x(), 0);
    EXPECT_EQ(c.y(), 0);
    EXPECT_TRUE(lit_pixels(old.surface()).empty());
}

TEST(Offscreen, CopiesShareOneSurfaceThatOutlivesTheOriginal) {
    probe_canvas copy;
    {
        probe_canvas original(10, 10);
        copy = original;
        copy = copy;
        const probe_canvas another(original);
        copy << move_to(1, 1) << dot;
        original << move_to(2, 2) << dot;
        EXPECT_EQ(copy.surface(), original.surface());
    }
    copy << move_to(3, 3) << dot;
    EXPECT_EQ(lit_pixels(copy.surface()).size(), 3u);
}

TEST(Offscreen, TemporaryAndReopenedCanvasesGiveTheirMemoryBack) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer holds freed memory back; its leak check covers this build";
#endif
    probe_canvas reopened(200, 200);
    const long before = resident_kib();
    for (int i = 0; i < 2000; ++i) {
        const probe_canvas scratch(200, 200);
        ASSERT_TRUE(reopened.open(200, 200));
        easel_test::fill(scratch.surface(), white);  // every page in use
        easel_test::fill(reopened.surface(), white);
    }
    EXPECT_LT(resident_kib() - before, 16 * 1024);  // 2 x 2,000 x 156 KiB if kept
}

TEST(Offscreen, ReopeningGivesANewSurfaceAndLeavesTheOldOne) {
    probe_canvas c(10, 10);
    probe_canvas old = c;
    c << dot;
    ASSERT_TRUE(c.open(4, 6));
    EXPECT_NE(c.surface(), old.surface());
    EXPECT_TRUE(lit_pixels(c.surface()).empty());
    EXPECT_EQ(lit_pixels(old.surface()).size(), 1u);
    EXPECT_EQ(c.x(), 2);
    EXPECT_EQ(c.y(), 3);
}

TEST(Blit, DefaultsCopyTheWholeSourceToTheCorner) {
    SDL_Surface* screen = open_grey_screen(200, 200);
    probe_canvas sprite = make_sprite();
    gout.blitfrom(sprite, -1, -1, -1, -1, 0, 0);
    EXPECT_EQ(screen_pixel(0, 0), 0u);  // black copied: the key was never switched on
    EXPECT_EQ(screen_pixel(1, 1), white);
    EXPECT_EQ(screen_pixel(39, 29), white);
    EXPECT_EQ(screen_pixel(40, 29), grey);
    EXPECT_EQ(screen_pixel(39, 30), grey);
    EXPECT_EQ(pixel_at(screen, 100, 100), grey);
}

TEST(Blit, OnlyMinusOneMeansTheDefault) {
    open_grey_screen(200, 200);
    probe_canvas sprite = make_sprite();
    gout.blitfrom(sprite, 10, -1, -1, -1, 0, 0);  // from column 10, as wide as the sprite: clipped to 30
    EXPECT_EQ(screen_pixel(29, 29), white);
    EXPECT_EQ(screen_pixel(29, 0), 0u);
    EXPECT_EQ(screen_pixel(30, 0), grey);
    gout.blitfrom(sprite, -1, -1, -1, -1, -1, 100);  // -1 in x3 is a position like any other
    EXPECT_EQ(screen_pixel(0, 101), white);
    EXPECT_EQ(screen_pixel(38, 129), white);
    EXPECT_EQ(screen_pixel(39, 129), grey);
}

TEST(Blit, NegativeTargetCutsTheFirstColumns) {
    open_grey_screen(200, 200);
    probe_canvas sprite = make_sprite();
    gout << stamp(sprite, -5, 50);
    EXPECT_EQ(screen_pixel(34, 79), white);
    EXPECT_EQ(screen_pixel(35, 79), grey);
    EXPECT_EQ(screen_pixel(0, 50), 0u);
}

TEST(Blit, EmptyFarOutsideAndNegativeRectanglesCopyNothing) {
    SDL_Surface* screen = open_grey_screen(50, 50);
    probe_canvas sprite = make_sprite();
    gout << stamp(sprite, 0, 0, 0, 30, 0, 0) << stamp(sprite, 0, 0, 40, 0, 0, 0);
    gout << stamp(sprite, 65536 + 10, 0) << stamp(sprite, 0, 65536) << stamp(sprite, -65536, 0)
         << stamp(sprite, 65536, 0, 5, 5, 0, 0) << stamp(sprite, 0, 0, -10, -1, 0, 0)
         << stamp(sprite, 0, 0, -1, -65535, 0, 0);
    EXPECT_EQ(lit_pixels(screen).size(), 2500u);
    EXPECT_EQ(screen_pixel(0, 0), grey);
}

TEST(Transparency, BlackIsSeeThroughWhenBothRectanglesAreInside) {
    open_grey_screen(800, 600);
    probe_canvas sprite = make_sprite();
    sprite.transparent(true);
    gout << stamp(sprite, 0, 0);
    EXPECT_EQ(screen_pixel(0, 0), grey);
    EXPECT_EQ(screen_pixel(1, 1), white);
    gout << stamp(sprite, 760, 570);  // touches the far corner exactly: still inside
    EXPECT_EQ(screen_pixel(760, 570), grey);
    EXPECT_EQ(screen_pixel(799, 599), white);
}

TEST(Transparency, ASpriteClippedAtTheEdgeLeavesItsBlackOut) {
    open_grey_screen(800, 600);
    probe_canvas sprite = make_sprite();
    sprite.transparent(true);
    gout << stamp(sprite, 790, 0);
    EXPECT_EQ(screen_pixel(790, 0), grey);
    EXPECT_EQ(screen_pixel(791, 1), white);
    EXPECT_EQ(screen_pixel(799, 29), grey);
}

TEST(Transparency, TheKeyStaysOnOnceSwitchedOn) {
    open_grey_screen(800, 600);
    probe_canvas sprite = make_sprite();
    sprite.transparent(true);
    gout << stamp(sprite, 0, 0);
    sprite.transparent(false);
    gout << stamp(sprite, 100, 100) << stamp(sprite, 790, 300);
    EXPECT_EQ(screen_pixel(100, 100), grey);
    EXPECT_EQ(screen_pixel(101, 101), white);
    EXPECT_EQ(screen_pixel(790, 300), grey);
}

TEST(Blit, TheWindowCanBeTheSource) {
    ASSERT_TRUE(gout.open(100, 100));
    gout << color(0, 255, 0) << move_to(10, 10) << box(2, 2);
    probe_canvas copy(20, 20);
    copy.blitfrom(gout, 10, 10, 3, 3, 0, 0);
    EXPECT_EQ(pixel_at(copy.surface(), 0, 0), 0x00FF00u);
    EXPECT_EQ(pixel_at(copy.surface(), 2, 2), 0x00FF00u);
    EXPECT_EQ(lit_pixels(copy.surface()).size(), 9u);
}

TEST(Blit, OverlappingCopyWithinOneCanvasCopiesTheSourceAsItWas) {
    probe_canvas c(10, 1);
    for (int x = 0; x < 10; ++x) easel_test::set_pixel(c.surface(), x, 0, static_cast<Uint32>(x + 1));
    c.blitfrom(c, 0, 0, 6, 1, 2, 0);
    const Uint32 expected[] = {1, 2, 1, 2, 3, 4, 5, 6, 9, 10};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(pixel_at(c.surface(), x, 0), expected[x]) << x;
}

TEST(Blit, OverlappingCopyWithinOneCanvasKeepsTheKey) {
    probe_canvas c(10, 1);
    for (int x = 0; x < 10; ++x) easel_test::set_pixel(c.surface(), x, 0, x % 2 ? 0u : static_cast<Uint32>(x + 1));
    c.transparent(true);
    c.blitfrom(c, 0, 0, 6, 1, 1, 0);  // inside: switches the key on
    const Uint32 expected[] = {1, 1, 3, 3, 5, 5, 7, 0, 9, 0};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(pixel_at(c.surface(), x, 0), expected[x]) << x;
}

TEST(Blit, CopyWithinOneCanvasIsACopyFromATwinOfIt) {
    // Clipped, overlapping or apart, keyed or not: as if copied from another canvas with the same pixels.
    const int rects[][6] = {{-3, -2, 10, 8, 5, 4}, {4, 3, 6, 5, 0, 0},    {0, 0, -1, -1, 3, 2},
                            {10, 0, -1, 4, -4, 6}, {2, 2, 5, 5, 12, 9},   {-20, 0, 25, 3, 15, 11}};
    for (const bool keyed : {false, true})
        for (const auto& r : rects) {
            probe_canvas self(16, 12), twin(16, 12), before(16, 12);
            for (probe_canvas* c : {&self, &twin, &before}) {
                for (int y = 0; y < 12; ++y)
                    for (int x = 0; x < 16; ++x)
                        easel_test::set_pixel(c->surface(), x, y, (x * 3 + y) % 5 ? Uint32(x * 16 + y) : 0u);
                c->transparent(keyed);
            }
            self.blitfrom(self, r[0], r[1], r[2], r[3], r[4], r[5]);
            twin.blitfrom(before, r[0], r[1], r[2], r[3], r[4], r[5]);
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(pixel_at(self.surface(), x, y), pixel_at(twin.surface(), x, y))
                        << keyed << " rect " << &r - rects << " at " << x << ", " << y;
        }
}

TEST(Blit, ExtremeArgumentsNeverReachOutside) {
    probe_canvas target(30, 30);
    probe_canvas sprite = make_sprite();
    sprite.transparent(true);
    for (const int v : {INT_MIN, INT_MAX, 65535, -65536, 32768})
        target << stamp(sprite, v, v, v, v, v, v) << stamp(sprite, 0, 0, v, v, 0, 0) << stamp(sprite, v, v);
    SUCCEED();
}

TEST(Save, WritesTheCanvasAndNothingOnFailure) {
    probe_canvas c(7, 5);
    c << color(200, 100, 50) << move_to(0, 0) << box(6, 0) << color(1, 2, 3) << move_to(3, 4) << dot;
    const std::string path = ::testing::TempDir() + "easel-canvas.bmp";
    ASSERT_TRUE(c.save(path));
    // Read back with a decoder of our own, not SDL's.
    const easel::image::picture back = easel::image::read_image(path);
    std::remove(path.c_str());
    ASSERT_EQ(back.width, 7);
    ASSERT_EQ(back.height, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(back.at(x, y), pixel_at(c.surface(), x, y)) << x << "," << y;
    const std::string missing = "/nonexistent-easel-dir/c.bmp";
    EXPECT_FALSE(c.save(missing));
    EXPECT_EQ(std::fopen(missing.c_str(), "rb"), nullptr);
    EXPECT_EQ(c.x(), 3);
    EXPECT_EQ(pixel_at(c.surface(), 3, 4), 0x010203u);
}

namespace {

namespace fs = std::filesystem;

// Of this process alone: the same test may run in another build at the same time.
fs::path fresh_dir(const char* name) {
    const fs::path dir = fs::path(::testing::TempDir()) / (name + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directory(dir);
    return dir;
}

std::size_t entries(const fs::path& dir) { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }

// Runs body in a child process and returns its wait status.
template <typename Body>
int in_child(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

}  // namespace

// A full disk, as a file-size limit, with SIGXFSZ ignored or at its default.
TEST(Save, AFailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
    const fs::path dir = fresh_dir("easel-failed-save");
    const std::string path = (dir / "picture.bmp").string();
    ASSERT_TRUE(probe_canvas(7, 5).save(path));
    const std::string good = contents(path);
    const probe_canvas big(200, 200);
    for (const auto disposition : {SIG_IGN, SIG_DFL}) {
        const int status = in_child([&] {
            std::signal(SIGXFSZ, disposition);
            const rlimit limit = {4096, 4096};
            setrlimit(RLIMIT_FSIZE, &limit);
            _exit(big.save(path) ? 1 : 0);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save did not report its failure";
        EXPECT_EQ(contents(path), good);
        EXPECT_EQ(entries(dir), 1u);
    }
    ASSERT_TRUE(big.save(path));
    EXPECT_EQ(easel::image::read_image(path).width, 200);
    fs::remove_all(dir);
}

// The second SIGTERM ends the program during the save; the temporary file goes with it.
TEST(Save, ASaveCutShortBySignalsLeavesNothingBehind) {
    const fs::path dir = fresh_dir("easel-signalled-save");
    const std::string path = (dir / "picture.bmp").string();
    ASSERT_TRUE(probe_canvas(7, 5).save(path));
    const std::string good = contents(path);
    const probe_canvas big(3000, 3000);
    struct sigaction handling = {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &handling), 0);
    ASSERT_NE(handling.sa_handler, SIG_DFL) << "the library handles SIGTERM";
    int status = 0;
    for (int attempt = 0; attempt < 5 && !WIFSIGNALED(status); ++attempt) {
        const pid_t child = fork();
        if (child == 0) {
            raise(SIGTERM);  // the first one only asks the event loop to stop
            _exit(big.save(path) ? 3 : 4);
        }
        // Once the temporary file shows, the save is under way.
        while (entries(dir) < 2 && waitpid(child, &status, WNOHANG) == 0) {
        }
        kill(child, SIGTERM);
        waitpid(child, &status, 0);
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "no save was caught under way";
    EXPECT_EQ(contents(path), good);
    EXPECT_EQ(entries(dir), 1u);
    fs::remove_all(dir);
}

TEST(Save, RefusesWhatIsNotARegularFile) {
    const fs::path dir = fresh_dir("easel-odd-targets");
    const probe_canvas c(7, 5);
    const fs::path fifo = dir / "fifo", dangling = dir / "dangling", device = dir / "null";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    fs::create_symlink(dir / "missing.bmp", dangling);
    const bool have_device = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;  // as root only
    for (const fs::path& target : {fifo, dangling, device, dir}) {
        if (target == device && !have_device) continue;
        const auto type = fs::symlink_status(target).type();
        EXPECT_FALSE(c.save(target.string())) << target;
        EXPECT_EQ(fs::symlink_status(target).type(), type) << target;
    }
    EXPECT_EQ(entries(dir), have_device ? 3u : 2u);
    fs::create_symlink(dir / "picture.bmp", dir / "link");
    ASSERT_TRUE(c.save((dir / "picture.bmp").string()));
    EXPECT_TRUE(c.save((dir / "link").string()));  // a link to a regular file stays a link
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    fs::remove_all(dir);
}

// Threads saving their own canvases into one directory never try the same temporary name.
TEST(Save, ThreadsSavingAtOnceNeverShareATemporaryName) {
    const fs::path dir = fresh_dir("easel-threaded-save");
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.c_str(), IN_CREATE), 0);
    constexpr int saves = 400;
    struct saver {
        probe_canvas canvas;
        std::string path;
        bool all_saved;
    } savers[2] = {{probe_canvas(4, 4), (dir / "a.bmp").string(), true},
                   {probe_canvas(4, 4), (dir / "b.bmp").string(), true}};
    // SDL's own threads: SDL keeps data for every thread that calls it and frees it for those only.
    const auto save_many = [](void* data) {
        auto& s = *static_cast<saver*>(data);
        for (int i = 0; i < saves; ++i) {
            s.canvas << color(i, i, 0) << move_to(0, 0) << box(3, 3);
            s.all_saved = s.canvas.save(s.path) && s.all_saved;
        }
        return 0;
    };
    SDL_Thread* first = SDL_CreateThread(save_many, &savers[0]);
    SDL_Thread* second = SDL_CreateThread(save_many, &savers[1]);
    ASSERT_TRUE(first && second);
    SDL_WaitThread(first, nullptr);
    SDL_WaitThread(second, nullptr);
    EXPECT_TRUE(savers[0].all_saved && savers[1].all_saved);
    std::multiset<std::string> created;
    alignas(inotify_event) char buffer[1 << 16];
    for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;)
        for (char* p = buffer; p < buffer + got; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
            created.insert(reinterpret_cast<inotify_event*>(p)->name);
    close(watch);
    created.erase("a.bmp");
    created.erase("b.bmp");
    EXPECT_EQ(created.size(), 2u * saves);
    for (const std::string& name : created) ASSERT_EQ(created.count(name), 1u) << name;
    EXPECT_EQ(entries(dir), 2u);
    fs::remove_all(dir);
}
