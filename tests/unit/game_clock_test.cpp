// The question clock, the pause, the wait bar, the question value and the fifty-fifty, replayed
// in virtual time on a window whose question is put up directly.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "../support/fakes.h"

namespace vexlor::app {
namespace {

using platform::Timer;

class ClockTest : public ::testing::Test {
  protected:
    // A question put up as the reveal does it, with the right answer on the panel named.
    void reveal(const std::string& points = "10", int rightPanel = 1) {
        f.form.Points.Caption = points;
        for (int i = 0; i < 4; ++i)
            panel(i + 1).DataField = i + 1 == rightPanel ? "Reponce" : "False1";
        f.form.TimerStart_Timer();
    }
    Label& panel(int number) {
        std::array<Label*, 4> panels = {&f.form.PanelRepA, &f.form.PanelRepB, &f.form.PanelRepC,
                                        &f.form.PanelRepD};
        return *panels[static_cast<std::size_t>(number - 1)];
    }
    // The clock texts of the next `ticks` seconds.
    std::vector<std::string> clockTicks(int ticks) {
        std::vector<std::string> shown;
        for (int i = 0; i < ticks; ++i) {
            f.timers.advance(1000);
            shown.push_back(f.form.Horloge.Caption);
        }
        return shown;
    }
    bool timedOut() const { return f.form.Panel.Caption == "Time Elapsed   Game Over!"; }

    testing::FormFixture f;
};

// The reveal starts the clock at "0.30"; thirty ticks count it to "0.00" and the 31st ends the
// game with the board hidden, the score shown and the sound stopped.
TEST_F(ClockTest, AnUnansweredQuestionTimesOutOnTheThirtyFirstTick) {
    reveal();
    EXPECT_EQ(f.form.Horloge.Caption, "0.30");
    EXPECT_TRUE(f.form.Horloge.Visible);
    EXPECT_FALSE(f.form.Score.Visible);
    f.form.Replay.Visible = true;  // as for a sound question

    const auto shown = clockTicks(30);
    EXPECT_EQ(shown.front(), "0.29");
    EXPECT_EQ(shown[19], "0.10");
    EXPECT_EQ(shown[20], "0.09");
    EXPECT_EQ(shown.back(), "0.00");
    EXPECT_FALSE(timedOut());
    EXPECT_TRUE(f.form.TimerTrente.Enabled());

    f.timers.advance(1000);
    EXPECT_TRUE(timedOut());
    EXPECT_EQ(f.form.TimeLeft, 0);
    EXPECT_FALSE(f.form.TimerTrente.Enabled());
    EXPECT_TRUE(f.form.TimerGOver.Enabled());
    EXPECT_FALSE(f.form.PanelQuestion.Visible);
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(panel(i).Visible);
    EXPECT_FALSE(f.form.Replay.Visible);
    EXPECT_FALSE(f.form.Horloge.Visible);
    EXPECT_TRUE(f.form.Score.Visible);
    EXPECT_TRUE(f.form.ImaScore.Visible);
    EXPECT_EQ(f.form.Horloge.Caption, "0.00");
    EXPECT_EQ(f.soundPlayer.calls, std::vector<std::string>{"stop"});
}

// A pause with twelve seconds left shows "2.00", then 1.59 .. "1.00", straight on to 0.59 and
// "0.00" on the 120th tick; the 121st is the time-out.
TEST_F(ClockTest, APauseRunsTwoMinutesAndOneTick) {
    reveal();
    clockTicks(18);
    ASSERT_EQ(f.form.Horloge.Caption, "0.12");
    f.form.Pause_Click();
    EXPECT_EQ(f.form.Horloge.Caption, "2.00");
    EXPECT_EQ(f.form.PausePanel.Caption, "2");
    EXPECT_FALSE(f.form.Pause.Visible);

    const auto shown = clockTicks(120);
    EXPECT_EQ(shown[0], "1.59");
    EXPECT_EQ(shown[49], "1.10");
    EXPECT_EQ(shown[50], "1.09");
    EXPECT_EQ(shown[59], "1.00");
    EXPECT_EQ(shown[60], "0.59");
    EXPECT_EQ(shown[119], "0.00");
    for (const auto& text : shown) EXPECT_EQ(text.find('-'), std::string::npos) << text;
    EXPECT_FALSE(timedOut());
    f.timers.advance(1000);
    EXPECT_TRUE(timedOut());
}

// The first tick writes the question's value: singular below 2, plural above 1, the points
// text used as it stands; a pause taken before that tick delays it until the clock passes 0.30.
TEST_F(ClockTest, TheFirstTickShowsTheQuestionValue) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1", "1 Point Question"},
        {"2", "2 Points Question"},
        {"", " Point Question"},
        {"1.5", "1.5 Points Question"},
        {"12 apples", "12 apples Points Question"},
        {"none", "none Point Question"}};
    for (const auto& [points, text] : cases) {
        testing::FormFixture fresh;
        fresh.form.Points.Caption = points;
        fresh.form.WaitTicks = 0;
        fresh.form.TempBar.setEnabled(true);
        fresh.form.TimerStart_Timer();
        fresh.timers.advance(999);
        EXPECT_EQ(fresh.form.Panel.Caption, "lll Wait! lll");
        fresh.timers.advance(1);
        EXPECT_EQ(fresh.form.Panel.Caption, text) << points;
        EXPECT_FALSE(fresh.form.TempBar.Enabled());
    }

    reveal("5");
    f.form.Panel.Caption = "bar";
    f.form.Pause_Click();
    clockTicks(90);  // 121 down to 31
    EXPECT_EQ(f.form.Panel.Caption, "bar");
    EXPECT_EQ(f.form.Horloge.Caption, "0.30");
    clockTicks(1);
    EXPECT_EQ(f.form.Panel.Caption, "5 Points Question");
}

// The wait bar puts " Wait! " between one more "l" on each side every 250 ms, eleven times.
TEST_F(ClockTest, TheWaitBarGrowsElevenTimes) {
    f.form.WaitTicks = 0;
    f.form.TempBar.setEnabled(true);
    f.timers.advance(250);
    EXPECT_EQ(f.form.Panel.Caption, "l Wait! l");
    f.timers.advance(250);
    EXPECT_EQ(f.form.Panel.Caption, "ll Wait! ll");
    f.timers.advance(2250);
    const std::string eleven(11, 'l');
    EXPECT_EQ(f.form.Panel.Caption, eleven + " Wait! " + eleven);
    EXPECT_FALSE(f.form.TempBar.Enabled());
    f.timers.advance(5000);
    EXPECT_EQ(f.form.Panel.Caption, eleven + " Wait! " + eleven);
}

// Each draw and right-answer place hides the two panels the table names, the right panel and
// one wrong panel stay; texts, colours and bindings are left alone.
TEST_F(ClockTest, TheFiftyFiftyHidesTheTwoPanelsTheTableNames) {
    // Kept wrong panel by right panel (A..D) and draw (1..3).
    const int kept[4][3] = {{4, 3, 2}, {4, 3, 1}, {4, 2, 1}, {3, 2, 1}};
    const float draws[3] = {0.1f, 0.45f, 0.8f};
    for (int right = 1; right <= 4; ++right) {
        for (int pick = 1; pick <= 3; ++pick) {
            testing::FormFixture g;
            std::array<Label*, 4> panels = {&g.form.PanelRepA, &g.form.PanelRepB, &g.form.PanelRepC,
                                            &g.form.PanelRepD};
            for (int i = 0; i < 4; ++i)
                panels[i]->DataField = i + 1 == right ? "Reponce" : "False" + std::to_string(i);
            g.form.FiftyPanel.Caption = "3";
            g.form.TimerStart_Timer();
            g.random.script = {draws[pick - 1]};
            g.form.Fifty_Click();
            g.timers.advance(2000);
            EXPECT_EQ(g.form.FiftyPick, pick);
            for (int i = 1; i <= 4; ++i) {
                const bool shown = i == right || i == kept[right - 1][pick - 1];
                EXPECT_EQ(panels[i - 1]->Visible, shown)
                    << "right " << right << " draw " << pick << " panel " << i;
                EXPECT_EQ(panels[i - 1]->BackColor, colours::kNeutral);
            }
            EXPECT_EQ(g.form.PanelRepA.DataField, right == 1 ? "Reponce" : "False0");
        }
    }
}

// Taking the fifty-fifty stops the clock for two seconds; below 15 seconds it is raised to 15,
// from 15 up it stays; the count goes down by one and the button leaves for this question.
TEST_F(ClockTest, TheFiftyFiftyRaisesALowClockToFifteen) {
    for (const auto& [before, after] :
         std::vector<std::pair<int, std::string>>{{20, "0.20"}, {15, "0.15"}, {5, "0.15"}}) {
        testing::FormFixture g;
        g.form.PanelRepB.DataField = "Reponce";
        g.form.TimerStart_Timer();
        g.timers.advance(1000 * (30 - before));
        ASSERT_EQ(g.form.TimeLeft, before);
        g.form.Fifty_Click();
        EXPECT_EQ(g.form.Horloge.Caption, after);
        EXPECT_EQ(g.form.FiftyPanel.Caption, "2");
        EXPECT_FALSE(g.form.Fifty.Visible);
        EXPECT_FALSE(g.form.TimerTrente.Enabled());
        g.timers.advance(2000);
        EXPECT_EQ(g.form.Horloge.Caption, after) << "the clock stood still during the delay";
        EXPECT_TRUE(g.form.TimerTrente.Enabled());
        g.timers.advance(1000);
        EXPECT_EQ(g.form.TimeLeft, std::max(before, 15) - 1);
    }
}

// An answer accepted during the fifty-fifty delay is judged: the wrong panels still leave when
// the delay ends, but the clock stays off for the question being judged.
TEST_F(ClockTest, AnAnswerDuringTheFiftyFiftyDelayKeepsTheClockOff) {
    reveal("10", 3);
    f.timers.advance(25000);  // five seconds left
    f.form.Fifty_Click();
    f.timers.advance(500);
    f.form.PanelRepC_Click();
    EXPECT_TRUE(f.form.TimerReponce.Enabled());
    f.timers.advance(1500);  // the delay ends
    EXPECT_TRUE(f.form.PanelRepC.Visible);
    int shown = 0;
    for (int i = 1; i <= 4; ++i) shown += panel(i).Visible;
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(f.form.TimerTrente.Enabled());
    f.timers.advance(500);  // judged right
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");
    f.timers.advance(60000);
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");
    EXPECT_FALSE(f.form.TimerGOver.Enabled());
}

// A tick whose handler waits in a modal window is not run again by its own timer meanwhile,
// while the other timers go on ticking behind the window.
TEST(TimerTick, AHandlerInsideAModalWindowIsNotEnteredAgain) {
    testing::FormFixture f;
    int runs = 0;
    // The game-over tick opening a modal window, as the high-score entry does, kept open for
    // ten seconds of virtual time.
    f.windows.whileOpen = [&] { f.timers.advance(10000); };
    f.form.TimerGOver.setHandler([&] {
        ++runs;
        f.windows.showAbout();
        f.form.TimerGOver_Timer();
    });
    int otherTicks = 0;
    Timer other("Other", 1000);
    other.setHandler([&] { ++otherTicks; });
    other.attach(&f.timers);
    other.setEnabled(true);

    f.form.GameOver();
    f.timers.advance(2000);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(otherTicks, 12);
    EXPECT_EQ(f.timers.now(), 12000) << "time never goes back";
    EXPECT_FALSE(f.form.TimerGOver.Enabled());
    EXPECT_TRUE(f.form.Start.Visible);
    f.timers.advance(10000);
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace vexlor::app
