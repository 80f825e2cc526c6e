// The question clock, the pause, the wait bar and replaying the question's sound.

#include "app/master_form.h"
#include "app/text_values.h"

namespace vexlor::app {

void MasterForm::TimerTrente_Timer() {
    if (TimeLeft == 30) {
        TempBar.setEnabled(false);
        const double value = numericValue(Points.Caption);
        if (value < 2) Panel.Caption = Points.Caption + " Point Question";
        if (value > 1) Panel.Caption = Points.Caption + " Points Question";
    }
    if (TimeLeft == 0) {
        SimpleMusic.Stop();
        Replay.Visible = false;
        PanelQuestion.Visible = false;
        for (Label* answer : {&PanelRepA, &PanelRepB, &PanelRepC, &PanelRepD})
            answer->Visible = false;
        Panel.Caption = "Time Elapsed   Game Over!";
        GameOver();
        TimerTrente.setEnabled(false);
        return;
    }
    if (TimeLeft > 60) {
        --PauseSeconds;
        --TimeLeft;
        if (PauseSeconds > 9) Horloge.Caption = "1." + std::to_string(PauseSeconds);
        if (PauseSeconds < 10) Horloge.Caption = "1.0" + std::to_string(PauseSeconds);
    }
    if (TimeLeft < 61) {
        --TimeLeft;
        if (TimeLeft > 9) Horloge.Caption = "0." + std::to_string(TimeLeft);
        if (TimeLeft < 10) Horloge.Caption = "0.0" + std::to_string(TimeLeft);
    }
}

void MasterForm::Pause_Click() {
    if (!Pause.Visible) return;
    PausesLeft = static_cast<std::int16_t>(numericValue(PausePanel.Caption) - 1);
    PausePanel.Caption = std::to_string(PausesLeft);
    PauseSeconds = 60;
    TimeLeft = 121;
    Horloge.Caption = "2.00";
    Pause.Visible = false;
}

void MasterForm::TempBar_Timer() {
    if (WaitTicks == 0) Panel.Caption = " Wait! ";
    Panel.Caption = "l" + Panel.Caption + "l";
    ++WaitTicks;
    if (WaitTicks == 11) TempBar.setEnabled(false);
}

void MasterForm::Replay_Click() {
    if (!Replay.Visible) return;
    SimpleMusic.Play();
}

}  // namespace vexlor::app
