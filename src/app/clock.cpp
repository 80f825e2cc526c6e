// The question clock, the pause, the wait bar and replaying the question's sound.

#include "app/master_form.h"
#include "app/text_values.h"

namespace vexlor::app {

void MasterForm::TimerTrente_Timer() {
    const game::Tick tick = quiz.tick();
    if (tick == game::Tick::kFirst) {
        TempBar.setEnabled(false);
        const std::string& points = quiz.question.points;
        Panel.Caption =
            points + (game::pointsValue(points) > 1 ? " Points Question" : " Point Question");
    }
    if (tick == game::Tick::kTimedOut) {
        SimpleMusic.Stop();
        Replay.Visible = false;
        Panel.Caption = "Time Elapsed   Game Over!";
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
    Panel.Caption = std::string(static_cast<std::size_t>(marks), 'l') + " Wait! " +
                    std::string(static_cast<std::size_t>(marks), 'l');
    if (marks >= game::kWaitBarMarks) TempBar.setEnabled(false);
}

void MasterForm::Replay_Click() {
    if (!Replay.Visible) return;
    SimpleMusic.Play();
}

}  // namespace vexlor::app
