// Timer ticks arrive one by one, each with the virtual time at which it fell due, at the periods SDL
// gives on screen: the one asked for rounded up to a multiple of 10 ms.
#include "replay_session.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using easel::testing::replay_session;

std::string tick(int time) { return "0 0 0 0 " + std::to_string(time) + " 3"; }

const std::string t_key = "116 0 0 0 0 1";

class ReplayTimerPeriods : public testing::TestWithParam<int> {};

TEST_P(ReplayTimerPeriods, TicksFallDueAtMultiplesOfThePeriodRoundedUpToTenMs) {
    const int period = (GetParam() + 9) / 10 * 10;
    const replay_session session(REPLAY_PROBE, {std::to_string(GetParam())});
    const auto result = session.run("wait 100\nmove 3 4\nwait 50\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    std::vector<std::string> expected;
    for (int time = period; time <= 100; time += period) expected.push_back(tick(time));
    expected.push_back("0 3 4 0 0 2");
    for (int time = (100 / period + 1) * period; time <= 150; time += period) expected.push_back(tick(time));
    EXPECT_EQ(result.output_lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(Periods, ReplayTimerPeriods, testing::Values(1, 7, 10, 15, 25, 40, 100));

TEST(ReplayTimer, StoppedAndRestartedTimerCountsFromTheRestart) {
    // 10 ms from the start; 25 (so 30) ms from 35; stopped at 95; 40 ms from 195.
    const replay_session session(REPLAY_PROBE, {"10", "25", "0", "40"});
    const auto result = session.run("wait 35\nkey t\nwait 60\nkey t\nwait 100\nkey t\nwait 80\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output_lines(), (std::vector<std::string>{tick(10), tick(20), tick(30), t_key, tick(65), tick(95),
                                                               t_key, t_key, tick(235), tick(275)}));
}

// SDL's queue holds 128 events; a tick waits for the program before the next one falls due.
TEST(ReplayTimer, NoTickIsLostWhenManyFallDueInOneWait) {
    const replay_session session(REPLAY_PROBE, {"10"});
    const auto result = session.run("wait 10000\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    const auto lines = result.output_lines();
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_EQ(lines.front(), tick(10));
    EXPECT_EQ(lines.back(), tick(10000));
}

// The limit is on the program's own work: a wait of many slow ticks outlasts it as a whole.
TEST(ReplayTimer, ALongWaitIsNotTooSlowWhenEveryTickIsHandledInTime) {
    const replay_session session(REPLAY_PROBE, {"10"});
    const auto result = session.run("key s\nwait 150\n", 2);  // 15 ticks of 200 ms each
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output_lines().size(), 16u);
}

TEST(ReplayTimer, TimeStandsStillBetweenCommands) {
    const replay_session session(REPLAY_PROBE, {"10"});
    const auto result = session.run("move 1 1\nmove 2 2\nwait 9\nmove 3 3\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.output_lines(), (std::vector<std::string>{"0 1 1 0 0 2", "0 2 2 0 0 2", "0 3 3 0 0 2"}));
}

}  // namespace
