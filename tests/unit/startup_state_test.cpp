// The main window at start-up: what is offered, what runs, and the board's layout rules.

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vexlor::app {
namespace {

bool overlap(const Element& a, const Element& b) {
    return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width && a.Top < b.Top + b.Height &&
           b.Top < a.Top + a.Height;
}

// Only Open, About and Exit are offered; no timer runs, no source is bound, no game variable
// holds a value; the board's elements do not cover each other.
TEST(StartupState, OnlyOpenAboutAndExitAreOfferedAndNothingRuns) {
    testing::FormFixture f;
    MasterForm& w = f.form;
    for (const PictureButton* button :
         {&w.Modu, &w.Start, &w.NextQ, &w.Replay, &w.Fifty, &w.Pause, &w.About, &w.Sortie})
        EXPECT_EQ(button->Visible, button == &w.Modu || button == &w.About || button == &w.Sortie)
            << button->name;
    for (platform::Timer* timer : w.timers()) EXPECT_FALSE(timer->Enabled()) << timer->name();
    for (const app::DataView* source : {&w.Data1, &w.Data2, &w.Data3, &w.Data4})
        EXPECT_FALSE(source->isOpen()) << source->name();
    for (const long long value :
         {static_cast<long long>(w.QuestionCount), static_cast<long long>(w.QuestionNumber),
          static_cast<long long>(w.quiz.secondsLeft), static_cast<long long>(w.quiz.chosen),
          w.quiz.score})
        EXPECT_EQ(value, 0);

    // The answers stack A to D in one column under the question, and the ten top-ten lines one
    // under the other inside their frame, none covering another; every button lies on the grey
    // strip, right of the board.
    const Label* answers[] = {&w.PanelQuestion, &w.PanelRepA, &w.PanelRepB,
                              &w.PanelRepC,     &w.PanelRepD, &w.Panel};
    for (std::size_t i = 1; i < std::size(answers); ++i) {
        EXPECT_GT(answers[i]->Top, answers[i - 1]->Top) << answers[i]->name;
        EXPECT_FALSE(overlap(*answers[i], *answers[i - 1])) << answers[i]->name;
    }
    for (int k = 1; k <= 10; ++k) {
        EXPECT_TRUE(w.Pan(k).Top > w.TopTen.Top &&
                    w.Pan(k).Top + w.Pan(k).Height < w.TopTen.Top + w.TopTen.Height);
        if (k > 1) {
            EXPECT_FALSE(overlap(w.Pan(k), w.Pan(k - 1))) << k;
        }
    }
    for (const PictureButton* button :
         {&w.Modu, &w.Start, &w.NextQ, &w.Replay, &w.Fifty, &w.Pause, &w.About, &w.Sortie}) {
        EXPECT_GE(button->Left, w.Shape1.Left) << button->name;
        EXPECT_LE(button->Left + button->Width, w.Shape1.Left + w.Shape1.Width) << button->name;
        EXPECT_FALSE(overlap(*button, w.PanelQuestion)) << button->name;
    }
}

}  // namespace
}  // namespace vexlor::app
