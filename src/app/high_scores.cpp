// The top ten on the main window, and the entry of a score that enters it.

#include "app/master_form.h"
#include "scores/top_ten.h"

namespace vexlor::app {

void MasterForm::HighScore() {
    // One move to the best row, then one row back per rank. A failed step leaves its line as
    // it was; a rank without a row (a short or empty table) shows only its prefix, never
    // what the bound boxes kept from another module.
    bool moved = Data4.MoveLast().ok();
    for (int rank = 1; rank <= 10; ++rank) {
        if (rank > 1) moved = Data4.MovePrevious().ok();
        const bool onRow = Data4.isOpen() && !Data4.atBOF() && !Data4.atEOF();
        if (!onRow) {
            Pan(rank).Caption = scores::emptyTopTenLine(rank);
            if (rank == 10) tenthScore_.reset();
        } else if (moved) {
            Pan(rank).Caption = scores::topTenLine(rank, NomT.Text, DateT.Text, ScoreT.Text);
            if (rank == 10) tenthScore_ = ScoreT.Text;
        }
    }
}

bool MasterForm::scoreQualifies() const {
    return scores::qualifies(quiz.score, tenthScore_);
}

void MasterForm::enterHighScore() {
    // Timers go on ticking while the entry window is open; one game over opens it once.
    if (enteringHighScore_ || !scoreQualifies()) return;
    enteringHighScore_ = true;
    const auto entry = services_.windows.showHighScoreEntry();
    enteringHighScore_ = false;
    if (entry == platform::HighScoreEntry::NotStored)
        services_.messageBox.show(services_.fileSystem.fileName(Data4.DatabaseName) +
                                      "\rYour score could not be saved in this module.",
                                  platform::message_style::kExclamation, kHighScoreTitle);
}

}  // namespace vexlor::app
