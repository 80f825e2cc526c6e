// The shared helpers: numbers read from texts, the score and date patterns, random numbers,
// and virtual time for the window's timers.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "app/text_values.h"
#include "platform/timer.h"
#include "support/fakes.h"

namespace vexlor::app {
namespace {

// A text counts as the number at its start, with a decimal fraction where one follows, else 0.
TEST(NumericValue, TakesTheNumberAtTheStartOfATextOrZero) {
    const std::pair<const char*, double> cases[] = {
        {"00012", 12},   {"12 points", 12}, {"1.5", 1.5}, {"", 0},     {"abc", 0},
        {"  7", 7},      {"-5", -5},        {"+3", 3},    {".5", 0.5}, {"12.", 12},
        {"3.25x", 3.25}, {"x12", 0},        {"1,5", 1},   {"-", 0},    {"99999", 99999},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
    for (const char* number : {"0", " 7 points", "-5", ".5", "+3"})
        EXPECT_TRUE(startsWithNumber(number)) << number;
    for (const char* text : {"", " ", "-", ".", "-.", "+x"})
        EXPECT_FALSE(startsWithNumber(text)) << text;
}

// Scores show at least five digits; dates use English month names.
TEST(Patterns, ScoreHasAtLeastFiveDigitsAndDateIsEnglish) {
    EXPECT_EQ(formatScore(0), "00000");
    EXPECT_EQ(formatScore(12), "00012");
    EXPECT_EQ(formatScore(123456), "123456");
    EXPECT_EQ(formatScore(11.5), "00012");
    std::string months;
    for (int m = 1; m <= 12; ++m) months += formatDate({1999, m, 5}).substr(0, 3);
    EXPECT_EQ(months, "JanFebMarAprMayJunJulAugSepOctNovDec");
    EXPECT_EQ(formatDate({2026, 12, 31}), "Dec/31/2026");
}

// Draws from 1 to N cover the range evenly; a clock that does not move between draws does not
// make them repeat; the generator gives 24-bit steps in [0, 1).
TEST(Random, WholeNumbersStayInRangeAndReseedingDoesNotRepeat) {
    testing::FakeClock clock;
    platform::MixingRandom random(7);
    std::map<int, int> seen;
    for (int i = 0; i < 4000; ++i) ++seen[randomWholeNumber(random, clock, 4)];
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen.begin()->first, 1);
    for (auto [value, count] : seen) EXPECT_NEAR(count, 1000, 150) << value;
    std::set<int> draws;
    for (int i = 0; i < 20; ++i) draws.insert(randomWholeNumber(random, clock, 32767));
    EXPECT_GT(draws.size(), 15u);
    for (int i = 0; i < 10000; ++i) {
        const float r = random.next();
        ASSERT_TRUE(r >= 0.0f && r < 1.0f && r * 16777216.0f == std::floor(r * 16777216.0f)) << r;
    }
}

// Ticks come in time order, ties in the order the timers were switched on; a timer switched off
// inside its own tick does not tick again; switching on a timer that is off starts its interval
// afresh, and switching it on again while on changes nothing.
TEST(VirtualTime, TicksRepeatInTimeOrderUntilSwitchedOff) {
    using Ticks = std::vector<std::pair<std::int64_t, std::string>>;
    Ticks ticks;
    platform::VirtualTimerDriver driver;
    platform::Timer slow("slow", 1000), fast("fast", 250), other("other", 500), once("once", 600);
    for (platform::Timer* timer : {&slow, &fast, &other, &once}) {
        timer->attach(&driver);
        timer->setHandler([&, timer] {
            ticks.emplace_back(driver.now(), timer->name());
            if (timer == &once) once.setEnabled(false), fast.setEnabled(false);
        });
    }
    for (platform::Timer* timer : {&slow, &other, &fast, &once}) timer->setEnabled(true);
    driver.advance(1000);
    other.setEnabled(false);
    slow.setEnabled(true);  // already on: the interval runs on
    driver.advance(1100);
    slow.setEnabled(false);
    driver.advance(100);
    slow.setEnabled(true);
    driver.advance(1000);
    EXPECT_EQ(ticks, (Ticks{{250, "fast"},
                            {500, "other"},
                            {500, "fast"},
                            {600, "once"},
                            {1000, "slow"},
                            {1000, "other"},
                            {2000, "slow"},
                            {3200, "slow"}}));
}

}  // namespace
}  // namespace vexlor::app
