// The question clock, the pause, the wait bar, the question value and the fifty-fifty, replayed
// in virtual time on a window whose question is put up directly.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fakes.h"

namespace vexlor::app {
namespace {

// A question put up as the reveal does it, with the right answer on panel `rightPanel` (1..4).
void reveal(testing::FormFixture& f, const std::string& points = "10", int rightPanel = 1) {
    f.form.quiz.question.points = points;
    int wrong = 2;
    for (int i = 0; i < 4; ++i) f.form.quiz.deal[i] = i + 1 == rightPanel ? 1 : wrong++;
    f.form.TimerStart_Timer();
}

// The clock texts of the next `ticks` seconds.
std::vector<std::string> clockTicks(testing::FormFixture& f, int ticks) {
    std::vector<std::string> shown;
    for (int i = 0; i < ticks; ++i, shown.push_back(f.form.Horloge.Caption)) f.timers.advance(1000);
    return shown;
}

bool timedOut(const testing::FormFixture& f) {
    return f.form.Panel.Caption == "Time Elapsed   Game Over!";
}

// The clock runs "0.30" to "0.00" in thirty ticks; a pause (here with twelve seconds left)
// shows "2.00", then 1.59 .. "1.00", straight on to 0.59 and "0.00" on the 120th tick, never a
// negative text. The tick after "0.00" ends the game with the board hidden, the score shown and
// the sound stopped.
TEST(Clock, AQuestionTimesOutOnTheTickAfterZeroPausedOrNot) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "not paused");
        testing::FormFixture f;
        reveal(f);
        EXPECT_EQ(f.form.Horloge.Caption, "0.30");
        f.form.Replay.Visible = true;  // as for a sound question
        std::vector<std::string> shown, expected = {"0.29", "0.10", "0.09", "0.00"};
        std::vector<int> at = {0, 19, 20, 29};
        if (paused) {
            clockTicks(f, 18);
            f.form.Pause_Click();
            EXPECT_EQ(f.form.Horloge.Caption + f.form.PausePanel.Caption, "2.002");
            expected = {"1.59", "1.09", "1.00", "0.59", "0.00"}, at = {0, 50, 59, 60, 119};
        }
        const auto ticks = clockTicks(f, paused ? 120 : 30);
        for (int i : at) shown.push_back(ticks[i]);
        EXPECT_EQ(shown, expected);
        for (const auto& text : ticks) EXPECT_EQ(text.find('-'), std::string::npos) << text;
        EXPECT_FALSE(timedOut(f));
        f.timers.advance(1000);
        EXPECT_TRUE(timedOut(f));
        EXPECT_TRUE(f.form.TimerGOver.Enabled());
        EXPECT_FALSE(f.form.TimerTrente.Enabled());
        for (const Element* e : std::initializer_list<const Element*>{
                 &f.form.PanelQuestion, &f.form.PanelRepC, &f.form.Replay, &f.form.Horloge})
            EXPECT_FALSE(e->Visible) << e->name;
        EXPECT_TRUE(f.form.Score.Visible);
        EXPECT_EQ(f.soundPlayer.calls, std::vector<std::string>{"stop"});
    }
}

// The wait bar puts " Wait! " between one more "l" on each side every 250 ms, eleven times.
// The first tick writes the question's value: singular below 2, plural above 1, the points
// text as it stands; a pause taken before that tick delays it until the clock passes 0.30.
TEST(Clock, TheWaitBarGrowsAndTheFirstTickShowsTheQuestionValue) {
    testing::FormFixture bar;
    bar.form.TempBar.setEnabled(true);
    bar.timers.advance(500);
    EXPECT_EQ(bar.form.Panel.Caption, "ll Wait! ll");
    bar.timers.advance(10000);
    EXPECT_EQ(bar.form.Panel.Caption, std::string(11, 'l') + " Wait! " + std::string(11, 'l'));
    for (const auto& [points, text] : std::vector<std::pair<std::string, std::string>>{
             {"1", "1 Point Question"},
             {"2", "2 Points Question"},
             {"", " Point Question"},
             {"1.5", "1.5 Points Question"},
             {"12 apples", "12 apples Points Question"}}) {
        testing::FormFixture f;
        f.form.TempBar.setEnabled(true);
        reveal(f, points);
        f.timers.advance(1000);
        EXPECT_EQ(f.form.Panel.Caption, text) << points;
        EXPECT_FALSE(f.form.TempBar.Enabled());
    }
    testing::FormFixture f;
    reveal(f, "5");
    f.form.Panel.Caption = "bar";
    f.form.Pause_Click();
    clockTicks(f, 90);  // 121 down to 31
    EXPECT_EQ(f.form.Panel.Caption, "bar");
    clockTicks(f, 1);
    EXPECT_EQ(f.form.Panel.Caption, "5 Points Question");
}

// Each right-answer place and draw hides the two panels the table names; the count goes down,
// the clock stands still two seconds and a clock below 15 (14, not 15) is raised to 15.
TEST(FiftyFifty, HidesThePanelsTheTableNamesAndRaisesALowClock) {
    const int kept[4][3] = {{4, 3, 2}, {4, 3, 1}, {4, 2, 1}, {3, 2, 1}};  // by right, draw
    const float draws[3] = {0.1f, 0.45f, 0.8f};
    for (int right = 1; right <= 4; ++right) {
        for (int pick = 1; pick <= 3; ++pick) {
            const int before = pick == 1 ? 14 : 10 * pick - 5;  // 14, 15, 25 seconds left
            testing::FormFixture f;
            reveal(f, "10", right);
            f.timers.advance(1000 * (30 - before));
            f.random.script = {draws[pick - 1]};
            f.form.Fifty_Click();
            EXPECT_EQ(f.form.FiftyPanel.Caption, "2");
            f.timers.advance(2000);
            EXPECT_EQ(f.form.quiz.secondsLeft, std::max(before, 15)) << "stood still, raised to 15";
            for (int i = 1; i <= 4; ++i)
                EXPECT_EQ(f.panels()[i - 1]->Visible, i == right || i == kept[right - 1][pick - 1])
                    << "right " << right << " draw " << pick << " panel " << i;
            f.timers.advance(1000);
            EXPECT_EQ(f.form.quiz.secondsLeft, std::max(before, 15) - 1);
        }
    }
}

// An answer accepted during the fifty-fifty delay is judged: the wrong panels still leave when
// the delay ends, but the clock stays off for the question being judged.
TEST(FiftyFifty, AnAnswerDuringTheDelayKeepsTheClockOff) {
    testing::FormFixture f;
    reveal(f, "10", 3);
    f.form.Fifty_Click();
    f.timers.advance(500);
    f.form.PanelRepC_Click();
    f.timers.advance(1500);  // the delay ends
    int shown = 0;
    for (Label* panel : f.panels()) shown += panel->Visible;
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(f.form.TimerTrente.Enabled());
    f.timers.advance(60000);
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");
}

// A tick whose handler waits in a modal window is not run again by its own timer meanwhile,
// while the other timers go on ticking behind the window.
TEST(TimerTick, AHandlerInsideAModalWindowIsNotEnteredAgain) {
    testing::FormFixture f;
    int runs = 0, otherTicks = 0;
    f.windows.whileOpen = [&] { f.timers.advance(10000); };
    f.form.TimerGOver.setHandler([&] {
        ++runs;
        f.windows.showAbout();
        f.form.TimerGOver_Timer();
    });
    platform::Timer other("Other", 1000);
    other.setHandler([&] { ++otherTicks; });
    other.attach(&f.timers);
    other.setEnabled(true);
    f.form.GameOver();
    f.timers.advance(22000);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(otherTicks, 22);
    EXPECT_TRUE(f.form.Start.Visible);
}

}  // namespace
}  // namespace vexlor::app
