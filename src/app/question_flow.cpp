// Starting a game and going from question to question: the Start and Next clicks, the question
// draw and the reveal three seconds later.

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "app/master_form.h"
#include "app/text_values.h"
#include "modules/transaction.h"
#include "rules/media.h"
#include "rules/questions.h"
#include "text/text.h"

namespace vexlor::app {

namespace {

constexpr long kMostQuestions = rules::kMaxQuestions;

}  // namespace

std::string MasterForm::moduleProblem() {
    const long count = Data1.RecordCount();
    if (count < 1) return i18n::tx("This module holds no questions");
    if (count > kMostQuestions) return i18n::tx("This module holds more than 32767 questions");
    const std::vector<std::string> lacking = Data1.store->missingAnswerColumns();
    if (lacking.empty()) return {};
    std::string missing;
    for (const std::string& field : lacking) missing += (missing.empty() ? "" : ", ") + field;
    // TRANSLATORS: %1 names the missing fields of the module's questions table, as they are
    // stored ("False2, False3").
    return i18n::fill(i18n::txn("The questions of this module lack the field %1",
                                "The questions of this module lack the fields %1", lacking.size()),
                      {missing});
}

void MasterForm::Start_Click() {
    if (quiz.phase != Phase::kIdle || !moduleOpen_) return;
    // A module that cannot be played is refused before the board changes, so the window stays
    // idle with the module still open.
    if (const std::string problem = moduleProblem(); !problem.empty()) {
        std::string name = services_.fileSystem.fileName(Data1.DatabaseName);
        if (name.empty()) name = Data1.DatabaseName;
        services_.messageBox.show(name + "\r" + problem, platform::message_style::kExclamation,
                                  i18n::tx(kOpenTitle));
        return;
    }

    beginGame();
    drawQuestion();
    draw();
}

void MasterForm::startWith(const game::Question& question) {
    beginGame();
    Shuffel();
    quiz.question = question;
    draw();
}

void MasterForm::beginGame() {
    quiz.start();
    TopTen.Visible = false;
    for (PictureButton* button : {&Start, &Modu, &About, &Sortie}) button->Visible = false;
    TimerStart.setEnabled(true);
    TempBar.setEnabled(true);
}

void MasterForm::NextQ_Click() {
    if (!quiz.next()) return;
    PanelQuestion.Width = kQuestionWidth;
    Picture1.Visible = false;
    for (PictureButton* button : {&NextQ, &About, &Sortie}) button->Visible = false;
    TimerStart.setEnabled(true);
    TempBar.setEnabled(true);
    drawQuestion();
    draw();
}

void MasterForm::drawQuestion() {
    QuestionCount = static_cast<std::int16_t>(std::clamp(Data1.RecordCount(), 0L, kMostQuestions));
    modules::ModuleStore& store = *Data2.store;

    // The list is looked up and extended in one transaction: the lookups need not ask each time
    // whether another program changed the list, and the drawn number is stored with them. A
    // module that cannot be written is drawn from all the same.
    modules::Transaction draw(store.database());

    // A number is drawn until one is not on the list of asked questions, and after too many
    // attempts the list is emptied. A lookup that fails cannot tell whether the number was
    // asked: the number is taken rather than stopping the game over a list it cannot read.
    for (int attempt = 1; attempt <= kDrawAttempts; ++attempt) {
        QuestionNumber = static_cast<std::int16_t>(drawNumber(QuestionCount));
        const auto asked = store.isAsked(QuestionNumber);
        if (!asked || !*asked) break;
        if (attempt == kDrawAttempts) Efface();
    }

    // The drawn number joins the list now, so it is in the file even if the program is killed
    // during this question.
    Use.Text = rules::askedText(QuestionNumber);
    ignoreFailure(store.markAsked(QuestionNumber), "a number not stored is only asked again later");
    ignoreFailure(draw.commit(), "a number not stored is only asked again later");

    // The answers are dealt to the four panels, then the drawn question becomes the game's,
    // still hidden until the reveal. One that cannot be read leaves the question as it was: the
    // game goes on as the player sees it.
    Shuffel();
    SkipCount = static_cast<std::int16_t>(QuestionNumber - 1);
    if (auto drawn = moduleQuestion(QuestionNumber)) quiz.question = std::move(*drawn);
}

void MasterForm::TimerStart_Timer() {
    quiz.endWait();
    switch (rules::mediaKind(quiz.question.media)) {
        case rules::MediaKind::kSound:
            Musique();
            break;
        case rules::MediaKind::kPicture:
            Photo();
            break;
        case rules::MediaKind::kNone:
        case rules::MediaKind::kNotPlayed:
            break;
    }

    Score.Visible = false;
    ImaScore.Visible = false;
    Horloge.Visible = true;
    ImaHorloge.Visible = true;
    TimerTrente.setEnabled(true);
    TimerStart.setEnabled(false);
    draw();
}

}  // namespace vexlor::app
