// The shared helpers: numbers read from texts, the score and date patterns, random numbers,
// and virtual time for the window's timers.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "../support/fakes.h"
#include "app/text_values.h"
#include "platform/timer.h"

namespace vexlor::app {
namespace {

TEST(NumericValue, TakesTheNumberAtTheStartOfATextOrZero) {
    const std::pair<const char*, double> cases[] = {
        {"00012", 12},   {"12 points", 12}, {"1.5", 1.5}, {"", 0},     {"abc", 0},
        {"  7", 7},      {"-5", -5},        {"+3", 3},    {".5", 0.5}, {"12.", 12},
        {"3.25x", 3.25}, {"x12", 0},        {"1,5", 1},   {"-", 0},    {"99999", 99999},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
    for (const char* number : {"0", "00012", " 7 points", "-5", ".5", "+3"})
        EXPECT_TRUE(startsWithNumber(number)) << number;
    for (const char* text : {"", " ", "abc", "-", ".", "x1", "-.", "+x"})
        EXPECT_FALSE(startsWithNumber(text)) << text;
}

TEST(Patterns, ScoreHasAtLeastFiveDigitsAndDateIsEnglish) {
    EXPECT_EQ(formatScore(0), "00000");
    EXPECT_EQ(formatScore(12), "00012");
    EXPECT_EQ(formatScore(123456), "123456");
    EXPECT_EQ(formatScore(-3), "-00003");
    EXPECT_EQ(formatScore(11.5), "00012");

    EXPECT_EQ(formatDate({2000, 1, 7}), "Jan/07/2000");
    EXPECT_EQ(formatDate({2026, 12, 31}), "Dec/31/2026");
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(formatDate({1999, m, 15}).substr(0, 4), std::string(months[m - 1]) + "/");
}

TEST(RandomWholeNumber, StaysInRangeCoversItAndReseedingDoesNotRepeat) {
    testing::FakeClock clock;
    platform::MixingRandom random(7);
    std::map<int, int> seen;
    for (int i = 0; i < 4000; ++i) ++seen[randomWholeNumber(random, clock, 4)];
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen.begin()->first, 1);
    EXPECT_EQ(seen.rbegin()->first, 4);
    for (auto [value, count] : seen) EXPECT_NEAR(count, 1000, 150) << value;

    // The clock does not move between these draws, yet they do not all repeat the first.
    std::set<int> draws;
    for (int i = 0; i < 20; ++i) draws.insert(randomWholeNumber(random, clock, 32767));
    EXPECT_GT(draws.size(), 15u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(randomWholeNumber(random, clock, 1), 1);
}

TEST(RandomGenerator, GivesNumbersInTheUnitIntervalWith24BitSteps) {
    platform::MixingRandom random(1);
    for (int i = 0; i < 10000; ++i) {
        const float r = random.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        ASSERT_EQ(r * 16777216.0f, std::floor(r * 16777216.0f));
    }
}

struct TickLog {
    std::vector<std::pair<std::int64_t, std::string>> ticks;
    platform::VirtualTimerDriver driver;
    void watch(platform::Timer& timer, std::function<void()> also = {}) {
        timer.attach(&driver);
        timer.setHandler([this, &timer, also] {
            ticks.emplace_back(driver.now(), timer.name());
            if (also) also();
        });
    }
};

TEST(VirtualTime, TicksRepeatInTimeOrderWithTiesInArmingOrder) {
    TickLog log;
    platform::Timer slow("slow", 1000), fast("fast", 250), other("other", 500);
    log.watch(slow);
    log.watch(fast);
    log.watch(other);
    slow.setEnabled(true);
    other.setEnabled(true);
    fast.setEnabled(true);
    log.driver.advance(1000);
    using Tick = std::pair<std::int64_t, std::string>;
    EXPECT_EQ(log.ticks, (std::vector<Tick>{{250, "fast"},
                                            {500, "other"},
                                            {500, "fast"},
                                            {750, "fast"},
                                            {1000, "slow"},
                                            {1000, "other"},
                                            {1000, "fast"}}));
    EXPECT_EQ(log.driver.now(), 1000);
}

TEST(VirtualTime, ATimerSwitchedOffInItsOwnTickDoesNotTickAgain) {
    TickLog log;
    platform::Timer once("once", 3000);
    log.watch(once, [&] { once.setEnabled(false); });
    once.setEnabled(true);
    log.driver.advance(10000);
    ASSERT_EQ(log.ticks.size(), 1u);
    EXPECT_EQ(log.ticks[0].first, 3000);
    EXPECT_FALSE(log.driver.isArmed(once));
}

TEST(VirtualTime, SwitchingOnStartsTheIntervalAfreshAndOnTwiceChangesNothing) {
    TickLog log;
    platform::Timer clock("clock", 1000), starter("starter", 300);
    log.watch(clock);
    // A tick that switches another timer on arms it from that moment.
    log.watch(starter, [&] {
        starter.setEnabled(false);
        clock.setEnabled(true);
    });
    starter.setEnabled(true);
    log.driver.advance(1500);
    clock.setEnabled(true);  // already on: the interval runs on
    log.driver.advance(200);
    clock.setEnabled(false);
    log.driver.advance(100);
    clock.setEnabled(true);
    log.driver.advance(1000);
    using Tick = std::pair<std::int64_t, std::string>;
    EXPECT_EQ(log.ticks, (std::vector<Tick>{{300, "starter"}, {1300, "clock"}, {2800, "clock"}}));
}

}  // namespace
}  // namespace vexlor::app
