#include "app/hscore_form.h"

#include "app/master_form.h"
#include "app/text_values.h"
#include "scores/top_ten.h"

namespace vexlor::scores {

namespace {

void label(app::Label& element, const char* name, const char* caption, int left, int top, int width,
           app::Rgb fore, bool bold, app::Alignment alignment) {
    element.name = name;
    element.Left = left;
    element.Top = top;
    element.Width = width;
    element.Height = 315;
    element.Caption = caption;
    element.BackColor = app::colours::kBlack;
    element.ForeColor = fore;
    element.font = {9.75, bold, false};
    element.alignment = alignment;
}

}  // namespace

HScoreForm::HScoreForm() {
    using namespace app::colours;
    using app::Alignment;
    // TRANSLATORS: the name window's texts: the heading (one line of about 320 pixels, large
    // bold), then three captions right-aligned before their boxes (about 95 pixels each).
    label(Label2, "Label2", i18n::tx("Enter your Name!"), 180, 180, 4815, kClicked, true,
          Alignment::Centre);
    Label2.Height = 375;
    Label2.font.points = 13.5;
    label(Label1, "Label1", i18n::tx("Player Name:"), 180, 840, 1455, kClicked, false,
          Alignment::Right);
    NameH = {{"NameH", 1755, 795, 3240, 375, true}, "", ""};
    label(Label6, "Label6", i18n::tx("Date:"), 180, 1320, 1455, kClicked, false, Alignment::Right);
    label(DateH, "DateH", "", 1755, 1320, 3240, kWhite, true, Alignment::Left);
    label(Label5, "Label5", i18n::tx("Your Score:"), 180, 1740, 1455, kClicked, false,
          Alignment::Right);
    label(ScoreH, "ScoreH", "", 1755, 1740, 3240, kWhite, true, Alignment::Left);
    cmdOk = {{"cmdOk", 1890, 2190, 1395, 435, true}};
}

bool HScoreForm::NameH_Accepts(std::string_view text) {
    return characterCount(text) <= kNameLimit;
}

void HScoreForm::Form_Paint(const app::MasterForm& main) {
    DateH.Caption = main.Jour.Text;
    ScoreH.Caption = app::formatScore(static_cast<double>(main.quiz.score));
}

platform::HighScoreEntry HScoreForm::cmdOk_Click(app::MasterForm& main) {
    if (!main.Data4.store) return platform::HighScoreEntry::NotStored;
    main.NomT.Text = NameH.Text;
    main.DateT.Text = DateH.Caption;
    main.ScoreT.Text = ScoreH.Caption;
    // A new row, never over another player's; a refused one leaves the table as it was.
    const Status stored =
        main.Data4.store->addScore({main.NomT.Text, main.DateT.Text, main.ScoreT.Text});
    return stored ? platform::HighScoreEntry::Stored : platform::HighScoreEntry::NotStored;
}

}  // namespace vexlor::scores
