// Answer clicks, the judgement two seconds later, the score, the end of a game and emptying
// the list of asked questions.

#include "app/master_form.h"
#include "app/text_values.h"

namespace vexlor::app {

void MasterForm::PanelRepA_Click() {
    answerClick(1);
}
void MasterForm::PanelRepB_Click() {
    answerClick(2);
}
void MasterForm::PanelRepC_Click() {
    answerClick(3);
}
void MasterForm::PanelRepD_Click() {
    answerClick(4);
}

void MasterForm::answerClick(int slot) {
    // A hidden panel (while a question is prepared, or removed by the fifty-fifty) has no
    // answer to give.
    if (slot < 1 || slot > game::kAnswers) return;
    if (!answerPanels()[static_cast<std::size_t>(slot - 1)]->Visible) return;
    SimpleMusic.Stop();
    Replay.Visible = false;
    // An answer is taken while the question is up: during the wait its panels are hidden.
    if (!quiz.answer(slot)) return;
    TimerReponce.setEnabled(true);
    TimerTrente.setEnabled(false);
    draw();
}

void MasterForm::TimerReponce_Timer() {
    Horloge.Visible = false;
    ImaHorloge.Visible = false;
    Score.Visible = true;
    ImaScore.Visible = true;
    quiz.endJudging();
    if (quiz.right) {
        AddScore();
    } else {
        // TRANSLATORS: the status line (one line, about 400 pixels at 18 points); the three
        // blanks set the two parts apart.
        Panel.Caption = i18n::tx("Wrong Answer   Game Over!");
        GameOver();
    }
    TimerReponce.setEnabled(false);
    draw();
}

void MasterForm::AddScore() {
    NextQ.Visible = true;
    About.Visible = true;
    Sortie.Visible = true;
    // TRANSLATORS: the status line after a right answer.
    Panel.Caption = i18n::tx("Correct Answer");
    draw();
}

void MasterForm::GameOver() {
    quiz.gameOver();
    Horloge.Visible = false;
    ImaHorloge.Visible = false;
    Score.Visible = true;
    ImaScore.Visible = true;
    NextQ.Visible = false;
    TimerGOver.setEnabled(true);
    draw();
}

void MasterForm::TimerGOver_Timer() {
    quiz.endGameOver();
    draw();
    PanelQuestion.Width = kQuestionWidth;
    Picture1.Visible = false;
    for (PictureButton* button : {&Start, &Modu, &About, &Sortie}) button->Visible = true;
    enterHighScore();
    Panel.Caption = i18n::tx(kStartPrompt);
    TopTen.Visible = true;
    HighScore();
    TimerGOver.setEnabled(false);
}

void MasterForm::Efface() {
    // One statement in one transaction: a kill half-way leaves the list whole, never half
    // emptied.
    if (Data2.store)
        ignoreFailure(Data2.store->clearAsked(), "a list that stays is only drawn from longer");
}

}  // namespace vexlor::app
