// The top ten on the main window, and the entry of a score that enters it.

#include "app/master_form.h"
#include "scores/top_ten.h"

namespace vexlor::app {

void MasterForm::HighScore() {
    // The best ten in the game's ranking, in one read. A table that cannot be read leaves the
    // lines as they were; a rank without a row (a short or empty table) shows only its prefix,
    // never what the boxes kept from another module.
    std::vector<modules::StoredScore> best;
    if (Data4.store) {
        auto read = Data4.store->bestScores(10);
        if (!read) return;
        best = std::move(*read);
    }
    for (int rank = 1; rank <= 10; ++rank) {
        if (static_cast<std::size_t>(rank) > best.size()) {
            Pan(rank).Caption = scores::emptyTopTenLine(rank);
            if (rank == 10) tenthScore_.reset();
            continue;
        }
        const modules::ScoreEntry& row = best[static_cast<std::size_t>(rank - 1)].entry;
        NomT.Text = row.name;
        DateT.Text = row.date;
        ScoreT.Text = row.score;
        Pan(rank).Caption = scores::topTenLine(rank, NomT.Text, DateT.Text, ScoreT.Text);
        if (rank == 10) tenthScore_ = ScoreT.Text;
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
        services_.messageBox.show(services_.fileSystem.fileName(Data4.DatabaseName) + "\r" +
                                      i18n::tx("Your score could not be saved in this module."),
                                  platform::message_style::kExclamation, i18n::tx(kHighScoreTitle));
}

}  // namespace vexlor::app
