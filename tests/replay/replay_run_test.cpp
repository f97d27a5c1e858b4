// How a replay run ends: pictures, script errors, and programs that misbehave.
#include "exit_status.hpp"
#include "replay_session.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using easel::image::picture;
using easel::testing::replay_session;
namespace exit_status = easel::replay::exit_status;

constexpr std::uint32_t white = 0xffffff;
constexpr std::uint32_t red = 0xff0000;
constexpr std::uint32_t green = 0x00ff00;

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ReplayPictures, ShowWhatWasRefreshedNotWhatWasDrawn) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run("snap before.png\nclick left 50 60\nsnap after.bmp\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const picture before = session.snapshot("before.png");
    ASSERT_EQ(before.width, 200);
    ASSERT_EQ(before.height, 200);
    EXPECT_EQ(before.pixels, std::vector<std::uint32_t>(200 * 200, 0));
    const picture after = session.snapshot("after.bmp");
    EXPECT_EQ(after.at(0, 0), white);
    EXPECT_EQ(after.at(9, 9), white);
    EXPECT_EQ(after.at(10, 10), 0u);
    EXPECT_EQ(after.at(50, 60), red);
}

TEST(ReplayPictures, TwoRunsOfOneScriptGiveIdenticalSnapshots) {
    const std::string script = "move 20 20\nwait 333\nclick left 70 80\nwait 1234\nclick right 5 150\nsnap run.png\n";
    const replay_session first(REPLAY_PROBE, {"7"});
    const replay_session second(REPLAY_PROBE, {"7"});
    ASSERT_EQ(first.run(script).status, 0);
    ASSERT_EQ(second.run(script).status, 0);
    EXPECT_EQ(file_bytes(first.path("run.png")), file_bytes(second.path("run.png")));
    const picture shown = first.snapshot("run.png");
    EXPECT_EQ(shown.at(70, 80), red);
    EXPECT_EQ(shown.at(156, 199), green);  // the tick at 1561 ms, the last before the snap
    EXPECT_EQ(shown.at(157, 199), 0u);
}

TEST(ReplayPictures, ExpectReportsAChangedPixel) {
    const replay_session session(REPLAY_PROBE);
    ASSERT_EQ(session.run("click left 50 60\nsnap reference.png\n").status, 0);

    EXPECT_EQ(session.run("click left 50 60\nexpect reference.png\n").status, 0);

    const auto changed = session.run("click left 50 61\nexpect reference.png\nmove 1 2\n");
    EXPECT_EQ(changed.status, exit_status::expect_differed);
    EXPECT_NE(changed.errors.find("script.replay:2: expect reference.png: 2 pixel(s) differ: "
                                  "(50, 60) is 0x000000, expected 0xff0000; (50, 61) is 0xff0000, expected 0x000000"),
              std::string::npos)
        << changed.errors;
    EXPECT_EQ(changed.output_lines().back(), "0 1 2 0 0 2") << "the run goes on after a difference";
}

TEST(ReplayScript, ErrorsNameTheirLinesAndNothingRuns) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run("snap early.png\n"
                                    "jump 1 2\n"
                                    "click sideways 1 2\n"
                                    "move 1\n"
                                    "type \"\xf0\x9d\x84\x9e\"\n"
                                    "key Hyper\n"
                                    "wait -5\n"
                                    "snap picture.jpg\n"
                                    "expect missing.png tolerance 256\n"
                                    "close\n"
                                    "move 1 1\n");
    EXPECT_EQ(result.status, exit_status::script_error);
    EXPECT_EQ(result.output, "");
    EXPECT_FALSE(std::filesystem::exists(session.path("early.png")));
    for (const int line : {2, 3, 4, 5, 6, 7, 8, 9, 11})
        EXPECT_NE(result.errors.find("script.replay:" + std::to_string(line) + ": "), std::string::npos)
            << "line " << line << " in:\n" << result.errors;
    for (const int line : {1, 10}) EXPECT_EQ(result.errors.find("script.replay:" + std::to_string(line) + ": "), std::string::npos) << result.errors;
}

TEST(ReplayPrograms, AProgramThatStopsReadingEventsIsStoppedAtTheLimit) {
    const replay_session session(REPLAY_PROBE);
    const auto start = std::chrono::steady_clock::now();
    const auto result = session.run("key h\nmove 1 1\n", 0.3);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.status, exit_status::too_slow);
    EXPECT_NE(result.errors.find("script.replay:1: the program did not ask for its next event within 0.3 s"),
              std::string::npos)
        << result.errors;
    EXPECT_LT(took, std::chrono::seconds(5));

    // A wait on the clock of its own: the sleeping probe uses no CPU time, so only the clock stops it.
    const auto walled = session.run("key h\nmove 1 1\n", 0.1, {"--wall-timeout", "1.2"});
    EXPECT_EQ(walled.status, exit_status::too_slow);
    EXPECT_NE(walled.errors.find("within 0.1 s of CPU time (1.2 s on the clock)"), std::string::npos) << walled.errors;
}

TEST(ReplayPrograms, ACrashIsReportedWithItsSignal) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run("key c\n");
    EXPECT_EQ(result.status, exit_status::crashed);
    EXPECT_NE(result.errors.find("killed by signal 6 (Aborted)"), std::string::npos) << result.errors;
}

TEST(ReplayPrograms, TheProgramsOwnStatusWins) {
    const replay_session session(REPLAY_PROBE);
    EXPECT_EQ(session.run("key x\n").status, 9);
    EXPECT_EQ(session.run("key x\nsnap never.png\n").status, 9);
}

TEST(ReplayPrograms, WaitingWithNoWindowAndNoTimerIsTheProgramsFault) {
    const replay_session session(REPLAY_PROBE, {"no-window"});
    const auto result = session.run("click left 1 1\nsnap never.png\n");
    EXPECT_EQ(result.status, exit_status::waits_for_nothing);
    EXPECT_NE(result.errors.find("script.replay:1: the program waits for input, but it has no window open"),
              std::string::npos)
        << result.errors;
    EXPECT_EQ(result.output_lines(), std::vector<std::string>{});
}

TEST(ReplayPrograms, EndingBeforeAPictureIsTakenFails) {
    const replay_session session(REPLAY_PROBE);
    EXPECT_EQ(session.run("key e\nwait 10\n").status, 0);
    const auto result = session.run("key e\nwait 10\nsnap never.png\n");
    EXPECT_EQ(result.status, exit_status::unfinished);
    EXPECT_NE(result.errors.find("script.replay:3: the program ended before this snap"), std::string::npos)
        << result.errors;
}

}  // namespace
