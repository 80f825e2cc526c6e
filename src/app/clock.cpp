// The question clock, the pause, the wait bar and replaying the question's sound.

#include "app/master_form.h"
#include "app/text_values.h"

#include <algorithm>

namespace vexlor::app {

void MasterForm::TimerTrente_Timer() {
    const game::Tick tick = quiz.tick();
    if (tick == game::Tick::kFirst) {
        TempBar.setEnabled(false);
        const std::string& points = quiz.question.points;
        // More than one point reads as several, 1.5 too; none or one as one.
        const double value = game::pointsValue(points);
        const unsigned long count =
            value > 1 ? static_cast<unsigned long>(std::clamp(value, 2.0, 1e9)) : 1;
        // TRANSLATORS: the status line while a question is up; %1 is the question's points as
        // the module gives them ("10", "2.5").
        Panel.Caption =
            i18n::fill(i18n::txn("%1 Point Question", "%1 Points Question", count), {points});
    }
    if (tick == game::Tick::kTimedOut) {
        SimpleMusic.Stop();
        Replay.Visible = false;
        // TRANSLATORS: the status line when the clock ran out; the three blanks set the two
        // parts apart.
        Panel.Caption = i18n::tx("Time Elapsed   Game Over!");
        GameOver();
        TimerTrente.setEnabled(false);
    }
    draw();
}

void MasterForm::Pause_Click() {
    if (quiz.pause()) draw();
}

void MasterForm::TempBar_Timer() {
    const int marks = quiz.waitBarTick();
    // TRANSLATORS: the status line while a question is prepared, between two bars of marks
    // that grow to six each; keep the blank on each side.
    Panel.Caption = std::string(static_cast<std::size_t>(marks), 'l') + i18n::tx(" Wait! ") +
                    std::string(static_cast<std::size_t>(marks), 'l');
    if (marks >= game::kWaitBarMarks) TempBar.setEnabled(false);
}

void MasterForm::Replay_Click() {
    if (!Replay.Visible) return;
    SimpleMusic.Play();
}

}  // namespace vexlor::app
