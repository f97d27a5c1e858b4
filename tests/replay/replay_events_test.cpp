// Every script command reaches the program as the event record the library makes of SDL's event.
#include "exit_status.hpp"
#include "replay_session.hpp"

#include <gtest/gtest.h>

namespace {

using easel::testing::replay_session;

// One line per record: keycode pos_x pos_y button time type.
std::vector<std::string> records_of(const std::string& script) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run(script);
    EXPECT_EQ(result.status, 0) << result.errors;
    return result.output_lines();
}

TEST(ReplayEvents, MouseCommandsArriveWithButtonStateAndPosition) {
    EXPECT_EQ(records_of("move 10 20\n"
                         "press left 30 40\n"
                         "release left 31 41\n"
                         "click right 5 6\n"
                         "press middle 1 2\n"
                         "release 2 1 2\n"
                         "click wheelup 7 8\n"
                         "click 5 9 10\n"),
              (std::vector<std::string>{
                  "0 10 20 0 0 2", "0 30 40 1 0 2", "0 31 41 -1 0 2", "0 5 6 3 0 2", "0 5 6 -3 0 2",
                  "0 1 2 2 0 2", "0 1 2 -2 0 2", "0 7 8 4 0 2", "0 7 8 -4 0 2", "0 9 10 5 0 2", "0 9 10 -5 0 2"}));
}

// A character key's release carries no character, so the library swallows it; table keys come back.
TEST(ReplayEvents, KeysArriveAsSdlDeliversThem) {
    EXPECT_EQ(records_of("key a\n"
                         "key Q\n"
                         "key 7\n"
                         "key ,\n"
                         "key Escape\n"
                         "key return\n"
                         "key BackSpace\n"
                         "key Up\n"
                         "key Delete\n"
                         "key F1\n"
                         "key F15\n"
                         "key LShift\n"
                         "key ScrollLock\n"),
              (std::vector<std::string>{"97 0 0 0 0 1", "113 0 0 0 0 1", "55 0 0 0 0 1", "44 0 0 0 0 1",
                                        "27 0 0 0 0 1", "13 0 0 0 0 1", "8 0 0 0 0 1", "65536 0 0 0 0 1",
                                        "-65536 0 0 0 0 1", "65541 0 0 0 0 1", "-65541 0 0 0 0 1",
                                        "131073 0 0 0 0 1", "-131073 0 0 0 0 1", "131087 0 0 0 0 1",
                                        "-131087 0 0 0 0 1", "65546 0 0 0 0 1", "-65546 0 0 0 0 1",
                                        "65557 0 0 0 0 1", "-65557 0 0 0 0 1"}));
}

TEST(ReplayEvents, KeydownAndKeyupArriveApart) {
    EXPECT_EQ(records_of("keydown Up\nmove 1 1\nkeyup Up\nkeydown a\nkeyup a\n"),
              (std::vector<std::string>{"65536 0 0 0 0 1", "0 1 1 0 0 2", "-65536 0 0 0 0 1", "97 0 0 0 0 1"}));
}

// Held keys and buttons count from press to release, a character key's swallowed release included.
TEST(ReplayEvents, HeldKeysAndButtonsLastUntilTheirRelease) {
    const replay_session session(REPLAY_PROBE, {"10"});
    const auto result =
        session.run("keydown Right\nkeydown a\npress left 1 1\nwait 10\nkeyup a\nrelease left 1 1\nwait 10\n"
                    "keyup Right\nwait 10\n");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output_lines(),
              (std::vector<std::string>{"65538 0 0 0 0 1", "97 0 0 0 0 1", "0 1 1 1 0 2", "0 0 0 0 10 3",
                                        "held right a left", "0 1 1 -1 0 2", "0 0 0 0 20 3", "held right",
                                        "-65538 0 0 0 0 1", "0 0 0 0 30 3"}));
}

TEST(ReplayEvents, TypedTextArrivesCharacterByCharacter) {
    EXPECT_EQ(records_of("type \"Hi ő\\\"\"\n"),
              (std::vector<std::string>{"72 0 0 0 0 1", "105 0 0 0 0 1", "32 0 0 0 0 1", "245 0 0 0 0 1",
                                        "34 0 0 0 0 1"}));
}

TEST(ReplayEvents, CloseEndsTheStreamAndCommentsAreSkipped) {
    const replay_session session(REPLAY_PROBE);
    const auto result = session.run("# nothing yet\n\n   # indented comment\nmove 1 1\nclose\n");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output_lines(), std::vector<std::string>{"0 1 1 0 0 2"});
}

}  // namespace
