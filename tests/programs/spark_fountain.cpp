// spark_fountain: sparks fly from the centre of an 800 x 600 screen on parabolas, fading from
// white; every 40 ms tick erases, moves and redraws them all and adds one. The expected screens
// replay the same physics with the same unseeded rand() sequence.
#include "exit_status.hpp"
#include "replay_session.hpp"
#include "reference_model.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using easel::image::picture;
using easel::model::grey;
using easel::model::pen_picture;
using easel::model::same_picture;
using easel::testing::replay_session;

constexpr int width = 800;
constexpr int height = 600;
constexpr int period_ms = 40;

struct spark {
    double x = 0;
    double y = 0;
    double vx;
    double vy;
    int level = 255;

    // Two rand() calls, in this order: the remainder keeps the sign of -rand(), so vy <= 0.
    static spark fresh() {
        spark s;
        s.vx = (std::rand() % 500) / 50.0 - 4.0;
        s.vy = ((-std::rand()) % 500) / 50.0;
        return s;
    }

    void step() {
        x += vx;
        y += vy;
        vy += 0.3;
        level -= 5;
        if (level < 0) *this = fresh();
    }
};

// The screen after a number of ticks, worked out from the fountain's rules.
class fountain_screen {
public:
    // A program's rand() starts as if seeded with 1; so does this model's.
    fountain_screen() {
        std::srand(1);
        sparks_.assign(10, spark::fresh());
    }

    const picture& shown() const { return screen_.picture(); }

    void ticks(int count) {
        for (int i = 0; i < count; ++i) tick();
    }

private:
    void tick() {
        for (const spark& s : sparks_) square(s, 0);
        for (spark& s : sparks_) {
            s.step();
            square(s, s.level);
        }
        sparks_.push_back(spark::fresh());
    }

    // A refused move leaves the pen where the last square put it, and the square is drawn from there.
    void square(const spark& s, int level) {
        screen_.set_colour(grey(level));
        screen_.move_to(static_cast<int>(width / 2 + s.x), static_cast<int>(height / 2 + s.y));
        screen_.box(3, 3);
    }

    pen_picture screen_{width, height};
    std::vector<spark> sparks_;
};

std::string wait_ticks(int count) { return "wait " + std::to_string(count * period_ms) + "\n"; }

// The ten first sparks are copies of one, so the first tick shows a single grey 250 square.
TEST(SparkFountain, FirstTickDrawsTheTenFirstSparksOnOneSpot) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run("wait 39\nsnap before.png\nwait 1\nsnap first.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(same_picture(session.snapshot("before.png"), picture(width, height)));
    fountain_screen expected;
    expected.ticks(1);
    const picture first = session.snapshot("first.png");
    EXPECT_TRUE(same_picture(first, expected.shown()));
    long grey_250 = 0, other = 0;
    for (const std::uint32_t pixel : first.pixels) {
        if (pixel == grey(250)) {
            ++grey_250;
        } else if (pixel != 0) {
            ++other;
        }
    }
    EXPECT_EQ(grey_250, 16);
    EXPECT_EQ(other, 0);
}

// The ten first sparks burn out and restart at the centre in tick 52, the first added one in tick 53,
// where no younger spark covers its white square.
TEST(SparkFountain, BurntOutSparksRestartWhiteAtTheCentre) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(wait_ticks(51) + "snap dark.png\n" + wait_ticks(1) + "snap restarted.png\n" +
                                    wait_ticks(1) + "snap next.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    fountain_screen expected;
    expected.ticks(51);
    EXPECT_TRUE(same_picture(session.snapshot("dark.png"), expected.shown()));
    expected.ticks(1);
    EXPECT_TRUE(same_picture(session.snapshot("restarted.png"), expected.shown()));
    expected.ticks(1);
    const picture next = session.snapshot("next.png");
    EXPECT_TRUE(same_picture(next, expected.shown()));
    for (int y = 300; y <= 303; ++y)
        for (int x = 400; x <= 403; ++x) EXPECT_EQ(next.at(x, y), grey(255)) << "at (" << x << ", " << y << ")";
}

// Long enough for slow sparks to fall out at the bottom, where moves are refused and boxes that do
// not fit are skipped.
TEST(SparkFountain, FountainAfterFourSeconds) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(wait_ticks(100) + "snap fountain.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    fountain_screen expected;
    expected.ticks(100);
    EXPECT_TRUE(same_picture(session.snapshot("fountain.png"), expected.shown()));
}

// Keys other than Escape and mouse events neither move sparks nor add any (nor draw rand() numbers).
TEST(SparkFountain, OtherEventsDoNotStepTheFountain) {
    const replay_session session(EASEL_PROGRAM);
    const auto result = session.run(wait_ticks(2) + "key a\nkey Up\nclick left 10 10\nmove 5 5\nclick wheelup 7 7\n" +
                                    wait_ticks(1) + "snap three.png\n");
    ASSERT_EQ(result.status, 0) << result.errors;
    fountain_screen expected;
    expected.ticks(3);
    EXPECT_TRUE(same_picture(session.snapshot("three.png"), expected.shown()));
}

// A snapshot after Escape finds the program gone: easel-replay reports it unfinished.
TEST(SparkFountain, EscapeOrClosingTheDisplayEndsItWithStatusZero) {
    const replay_session session(EASEL_PROGRAM);
    EXPECT_EQ(session.run(wait_ticks(3) + "key Escape\n").status, 0);
    EXPECT_EQ(session.run("key Escape\nsnap gone.png\n").status, easel::replay::exit_status::unfinished);
    EXPECT_EQ(session.run(wait_ticks(3) + "key Escape\n" + wait_ticks(1) + "snap gone.png\n").status,
              easel::replay::exit_status::unfinished);
    EXPECT_EQ(session.run(wait_ticks(3) + "close\n").status, 0);
}

}  // namespace
