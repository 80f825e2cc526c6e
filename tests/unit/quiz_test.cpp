// The game's verbs on plain values: phases, score, lifelines, the clock and the fifty-fifty.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "game/quiz.h"

namespace vexlor::game {
namespace {

// Two games played verb by verb; after each, the state the verb must leave. Answers are dealt
// B (right), A, D, C: draws 2, 2 again, 1, 4, 3. Removed slots are a mask, bit 0 for A.
TEST(Quiz, VerbsMoveThePhaseScoreLifelinesAndClock) {
    std::deque<int> draws = {2, 2, 1, 4, 3};
    const Draw draw = [&](int) {
        const int value = draws.front();
        draws.pop_front();
        return value;
    };
    Quiz q;
    q.question.points = "10";
    auto ticks = [&](int n) {
        Tick last = Tick::kCounted;
        for (int i = 0; i < n; ++i) last = q.tick();
        return last != Tick::kTimedOut;
    };
    struct Step {
        const char* verb;
        std::function<bool()> run;  // false when the verb refused or timed out
        bool taken;
        Phase phase;
        long long score;
        int fifties, pauses, seconds, removed;
    };
    const Step steps[] = {
        {"start",
         [&] {
             q.start(), q.dealAnswers(draw);
             return q.rightSlot() == 2;
         },
         true, Phase::kWait, 0, 3, 3, 0, 0},
        {"answer in the wait", [&] { return q.answer(2); }, false, Phase::kWait, 0, 3, 3, 0, 0},
        {"wait ends", [&] { return q.endWait(), q.fiftyOffered && q.pauseOffered; }, true,
         Phase::kQuestion, 0, 3, 3, 30, 0},
        {"first tick", [&] { return q.tick() == Tick::kFirst; }, true, Phase::kQuestion, 0, 3, 3,
         29, 0},
        {"fifty", [&] { return q.fifty(); }, true, Phase::kQuestion, 0, 2, 3, 29, 0},
        {"fifty twice", [&] { return q.fifty(); }, false, Phase::kQuestion, 0, 2, 3, 29, 0},
        {"fifty ends",
         [&] {
             draws = {1};
             return q.endFifty(draw);
         },
         true, Phase::kQuestion, 0, 2, 3, 29, 0b0101},
        {"answer removed", [&] { return q.answer(1); }, false, Phase::kQuestion, 0, 2, 3, 29,
         0b0101},
        {"pause", [&] { return q.pause(); }, true, Phase::kQuestion, 0, 2, 2, 120, 0b0101},
        {"a minute on", [&] { return ticks(61); }, true, Phase::kQuestion, 0, 2, 2, 59, 0b0101},
        {"right answer", [&] { return q.answer(2); }, true, Phase::kJudging, 0, 2, 2, 59, 0b0101},
        {"judged", [&] { return q.endJudging(), q.right; }, true, Phase::kNextOffered, 10, 2, 2, 0,
         0b0101},
        {"next",
         [&] {
             return draws = {1, 2, 3, 4}, q.next(), q.dealAnswers(draw), q.rightSlot() == 1;
         },
         true, Phase::kWait, 10, 2, 2, 0, 0},
        {"next twice", [&] { return q.next(); }, false, Phase::kWait, 10, 2, 2, 0, 0},
        {"wait ends", [&] { return q.endWait(), q.fiftyOffered; }, true, Phase::kQuestion, 10, 2, 2,
         30, 0},
        {"low clock", [&] { return ticks(20); }, true, Phase::kQuestion, 10, 2, 2, 10, 0},
        {"fifty raises it", [&] { return q.fifty(); }, true, Phase::kQuestion, 10, 1, 2, 15, 0},
        {"answer in the delay", [&] { return q.answer(4); }, true, Phase::kJudging, 10, 1, 2, 15,
         0},
        {"fifty ends judging",
         [&] {
             draws = {3};
             return q.endFifty(draw);
         },
         false, Phase::kJudging, 10, 1, 2, 15, 0b1100},
        {"wrong judged", [&] { return q.endJudging(), q.right; }, false, Phase::kGameOver, 10, 1, 2,
         0, 0b1100},
        {"over", [&] { return q.endGameOver(), q.shown; }, false, Phase::kIdle, 10, 1, 2, 0,
         0b1100},
        {"new game",
         [&] {
             q.start(), q.dealAnswers(draw), q.endWait();
             return ticks(30);
         },
         true, Phase::kQuestion, 0, 3, 3, 0, 0},
        {"time out", [&] { return ticks(1); }, false, Phase::kGameOver, 0, 3, 3, 0, 0},
    };
    for (const Step& step : steps) {
        if (step.verb == std::string("new game")) draws = {1, 2, 3, 4};
        EXPECT_EQ(step.run(), step.taken) << step.verb;
        int removed = 0;
        for (int slot = 0; slot < kAnswers; ++slot) removed |= q.removed[slot] << slot;
        EXPECT_EQ(q.phase, step.phase) << step.verb;
        EXPECT_EQ(q.score, step.score) << step.verb;
        EXPECT_EQ(q.fiftiesLeft, step.fifties) << step.verb;
        EXPECT_EQ(q.pausesLeft, step.pauses) << step.verb;
        EXPECT_EQ(q.secondsLeft, step.seconds) << step.verb;
        EXPECT_EQ(removed, step.removed) << step.verb;
    }
    for (const auto& [seconds, text] : std::initializer_list<std::pair<int, const char*>>{
             {0, "0.00"}, {5, "0.05"}, {30, "0.30"}, {60, "1.00"}, {119, "1.59"}, {120, "2.00"}})
        EXPECT_EQ(clockText(seconds), text);
}

}  // namespace
}  // namespace vexlor::game
