// Answer clicks, the judgement two seconds later, the score, the end of a game and emptying
// the list of asked questions.

#include <array>

#include "app/master_form.h"
#include "app/text_values.h"
#include "modules/module_database.h"

namespace vexlor::app {

void MasterForm::PanelRepA_Click() {
    answerClick(PanelRepA, 1);
}
void MasterForm::PanelRepB_Click() {
    answerClick(PanelRepB, 2);
}
void MasterForm::PanelRepC_Click() {
    answerClick(PanelRepC, 3);
}
void MasterForm::PanelRepD_Click() {
    answerClick(PanelRepD, 4);
}

MasterForm::Phase MasterForm::phase() const {
    if (TimerGOver.Enabled()) return Phase::kGameOver;
    if (TimerReponce.Enabled()) return Phase::kJudging;
    if (TimerStart.Enabled()) return Phase::kWait;
    // The fifty-fifty stops the clock for a moment; the question is still up.
    if (TimerTrente.Enabled() || TimerFifty.Enabled()) return Phase::kQuestion;
    if (NextQ.Visible) return Phase::kNextOffered;
    return Phase::kIdle;
}

void MasterForm::answerClick(Label& panel, std::int16_t number) {
    // A hidden panel (while a question is prepared, or removed by the fifty-fifty) has no
    // answer to give.
    if (!panel.Visible) return;
    SimpleMusic.Stop();
    Replay.Visible = false;
    // An answer is taken while the question is up: during the wait its panels are hidden.
    if (phase() != Phase::kQuestion) return;
    Choice = number;
    panel.BackColor = colours::kClicked;
    Fifty.Visible = false;
    Pause.Visible = false;
    TimerReponce.setEnabled(true);
    TimerTrente.setEnabled(false);
}

void MasterForm::TimerReponce_Timer() {
    Horloge.Visible = false;
    ImaHorloge.Visible = false;
    Score.Visible = true;
    ImaScore.Visible = true;

    const std::array<Label*, 4> answers = {&PanelRepA, &PanelRepB, &PanelRepC, &PanelRepD};
    for (std::int16_t number = 1; number <= 4; ++number) {
        Label& answer = *answers[static_cast<std::size_t>(number - 1)];
        if (answer.DataField == "Reponce" && number == Choice) {
            answer.BackColor = colours::kRight;
            AddScore();
            TimerReponce.setEnabled(false);
            return;
        }
    }
    for (Label* answer : answers)
        if (answer->BackColor == colours::kClicked) answer->BackColor = colours::kWrong;
    for (Label* answer : answers)
        if (answer->DataField == "Reponce") answer->BackColor = colours::kRight;
    Panel.Caption = "Wrong Answer   Game Over!";
    GameOver();
    TimerReponce.setEnabled(false);
}

void MasterForm::AddScore() {
    Horloge.Caption = "0.00";
    Fifty.Visible = false;
    Pause.Visible = false;
    NextQ.Visible = true;
    About.Visible = true;
    Sortie.Visible = true;
    Panel.Caption = "Correct Answer";
    Score.Caption = formatScore(numericValue(Points.Caption) + numericValue(Score.Caption));
}

void MasterForm::GameOver() {
    Horloge.Visible = false;
    ImaHorloge.Visible = false;
    Score.Visible = true;
    ImaScore.Visible = true;
    Horloge.Caption = "0.00";
    Fifty.Visible = false;
    Pause.Visible = false;
    NextQ.Visible = false;
    TimerGOver.setEnabled(true);
}

void MasterForm::TimerGOver_Timer() {
    PanelQuestion.Width = kQuestionWidth;
    Picture1.Visible = false;
    PanelQuestion.Visible = false;
    for (Label* answer : {&PanelRepA, &PanelRepB, &PanelRepC, &PanelRepD}) answer->Visible = false;
    for (PictureButton* button : {&Start, &Modu, &About, &Sortie}) button->Visible = true;
    enterHighScore();
    Panel.Caption = kStartPrompt;
    TopTen.Visible = true;
    HighScore();
    TimerGOver.setEnabled(false);
}

void MasterForm::Efface() {
    const auto database = Data2.database();
    if (!database) return;
    // One transaction for the whole list: deleting row by row, each in its own transaction,
    // takes minutes on a long list, and a kill half-way would leave it half emptied.
    // A step that fails leaves its row; the commit below then decides what the file keeps.
    modules::Transaction batch(*database);
    ignoreFailure(Data2.MoveLast(), "an empty list has no last row, and needs no emptying");
    const long count = Data2.RecordCount();
    for (long i = 0; i < count; ++i) {
        ignoreFailure(Data2.Delete(), "a row that stays is only asked again later");
        ignoreFailure(Data2.MovePrevious(), "the first row has none before it");
    }
    // A list that could not be emptied is read afresh, so the source shows what the file holds.
    if (!batch.commit())
        ignoreFailure(Data2.Refresh(), "a list that cannot be read is not drawn from");
}

}  // namespace vexlor::app
