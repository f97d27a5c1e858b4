// What grading needs from easel-replay: expectations with their options and pictures of the
// difference, programs that end by themselves, and scripts or programs that are broken or hostile.
#include "exit_status.hpp"
#include "replay_session.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using easel::image::picture;
using easel::testing::replay_session;
namespace exit_status = easel::replay::exit_status;
using namespace std::string_literals;

constexpr std::uint32_t white = 0xffffff;
constexpr std::uint32_t red = 0xff0000;

bool mentions(const std::string& errors, const std::string& text) { return errors.find(text) != std::string::npos; }

TEST(ReplayExpect, FilesAreReadWhenTheStepIsReached) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run("click left 50 60\nsnap during.bmp\nexpect during.bmp\n"
                                    "expect during.bmp from during.bmp\nexpect during.bmp from absent.bmp\n");
    EXPECT_EQ(result.status, exit_status::expect_differed);
    EXPECT_TRUE(mentions(result.errors, "script.replay:5: expect: absent.bmp: cannot open")) << result.errors;
    EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
}

TEST(ReplayExpect, ToleranceAndRegionNarrowTheComparisonAndAMismatchLeavesPictures) {
    const replay_session session(REPLAY_PROBE);
    ASSERT_EQ(session.run("click left 50 60\nsnap reference.png\n").status, 0);
    picture changed = session.snapshot("reference.png");
    changed.at(50, 60) = 0xf00000;
    changed.at(150, 150) = white;
    easel::image::write_image(changed, session.path("changed.png"));
    std::filesystem::create_directory(session.path("out"));

    EXPECT_EQ(session.run("click left 50 60\nexpect changed.png tolerance 15 region 0 0 100 100\n").status, 0);
    const auto result = session.run("click left 50 60\nexpect changed.png region 0 0 100 100 tolerance 14\n", 10,
                                    {"--out", "out"});
    EXPECT_EQ(result.status, exit_status::expect_differed);
    EXPECT_TRUE(mentions(result.errors, "1 pixel(s) differ by more than 14: (50, 60) is 0xff0000, expected 0xf00000 "
                                        "(see out/changed.actual.png and out/changed.diff.png)"))
        << result.errors;
    EXPECT_EQ(session.snapshot("out/changed.actual.png").pixels, session.snapshot("reference.png").pixels);
    const picture diff = session.snapshot("out/changed.diff.png");
    EXPECT_EQ(diff.at(50, 60), red);
    EXPECT_EQ(diff.at(0, 0), 0x555555u) << "a matching white pixel, dimmed";
    EXPECT_EQ(diff.at(150, 150), 0u) << "outside the region";
}

TEST(ReplayExit, PicturesAfterWaitExitShowWhatTheProgramShowedLast) {
    const replay_session session(REPLAY_PROBE);
    const auto ended = session.run("click left 50 60\nkey e\nwait exit\nsnap last.png\nexpect last.png\n");
    ASSERT_EQ(ended.status, 0) << ended.errors;
    EXPECT_EQ(session.snapshot("last.png").at(50, 60), red);

    const auto waiting = session.run("click left 50 60\nwait exit\nsnap never.png\n");
    EXPECT_EQ(waiting.status, exit_status::too_slow);
    EXPECT_TRUE(mentions(waiting.errors, "script.replay:2: wait exit: the program asked for another event"))
        << waiting.errors;
    EXPECT_FALSE(std::filesystem::exists(session.path("never.png")));
}

TEST(ReplayRefusals, ScriptsThatAreNoScriptsAreRefusedWithTheReason) {
    const replay_session directory(REPLAY_PROBE);
    std::filesystem::create_directory(directory.path("script.replay"));
    const auto result = directory.run("");
    EXPECT_EQ(result.status, exit_status::script_error);
    EXPECT_TRUE(mentions(result.errors, "script.replay: is a directory")) << result.errors;

    const replay_session endless(REPLAY_PROBE);
    std::filesystem::create_symlink("/dev/zero", endless.path("script.replay"));
    const auto zeros = endless.run("");
    EXPECT_EQ(zeros.status, exit_status::script_error);
    EXPECT_TRUE(mentions(zeros.errors, "script.replay: the script is longer than 1048576 bytes (the limit)"))
        << zeros.errors;
}

TEST(ReplayRefusals, MessagesShowWhatIsWrongAndNothingElse) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run("\xef\xbb\xbfmove 1 1\r\n"
                                    "key Escpae\n"
                                    "mvoe\x1b[2J 1 2\n"
                                    "snap \"a.png\0.bmp\"\n"s
                                    "type \"" + std::string(5000, 'a') + "\"\n");
    EXPECT_EQ(result.status, exit_status::script_error);
    EXPECT_EQ(result.output, "");
    for (const char* message : {"script.replay:2: unknown key name \"Escpae\" (nearest: Escape,",
                                "script.replay:3: unknown command \"mvoe\\x1b[2J\" (nearest: move,",
                                "script.replay:4: the file name \"a.png\\x00.bmp\" holds a NUL byte",
                                "script.replay:5: the line is longer than 4096 bytes (the limit)"})
        EXPECT_TRUE(mentions(result.errors, message)) << message << " in:\n" << result.errors;
    EXPECT_FALSE(mentions(result.errors, "script.replay:1:")) << result.errors;

    const auto paths = session.run("move 1 1\nsnap missing/a.png\n");
    EXPECT_EQ(paths.status, exit_status::script_error);
    EXPECT_EQ(paths.output, "") << "checked before the run";
    EXPECT_TRUE(mentions(paths.errors, "script.replay:2: snap missing/a.png: the directory missing does not exist"))
        << paths.errors;
}

TEST(ReplayCommandLine, HelpAndAProgramThatCannotStartHaveStatusesOfTheirOwn) {
    const replay_session session(REPLAY_PROBE);
    const auto help = session.run("", 10, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(mentions(help.output, "usage: easel-replay")) << help.output;

    const replay_session missing(std::filesystem::current_path() / "no-such-program");
    const auto result = missing.run("snap never.png\n");
    EXPECT_EQ(result.status, exit_status::cannot_start);
    EXPECT_TRUE(mentions(result.errors, "no-such-program: No such file or directory")) << result.errors;
}

// What the grading tools read instead of splitting a script's lines themselves.
TEST(ReplayCommandLine, WordsListEachCommandAsTheScriptIsRead) {
    const replay_session session(REPLAY_PROBE);
    const auto words = [&session](const std::string& script) {
        std::ofstream(session.path("s.replay"), std::ios::binary) << script;
        FILE* listing = popen((EASEL_REPLAY " --words " + session.path("s.replay") + " 2>/dev/null").c_str(), "r");
        std::string printed;
        for (int c; (c = std::fgetc(listing)) != EOF;) printed += static_cast<char>(c);
        const int status = pclose(listing);
        return std::make_pair(WEXITSTATUS(status), printed);
    };
    EXPECT_EQ(words("# note\r\nclick left 1 2\r\n\n  expect \"a b.png\" from \"say \\\"hi\\\"\\\\\"\n"),
              std::make_pair(0, R"({"line": 2, "words": ["click", "left", "1", "2"]}
{"line": 4, "words": ["expect", "a b.png", "from", "say \"hi\"\\"]}
)"s));
    EXPECT_EQ(words("click left 1 2\nmvoe 1 1\n"), std::make_pair(int{exit_status::script_error}, ""s));
}

}  // namespace
