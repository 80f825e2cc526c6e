// The records the game keeps in the module, shown on the Module page: the asked list's size and
// the top ten, read as they are shown and written at once, outside the undo history.

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/editor_window.h"
#include "editor/window_helpers.h"
#include "text/i18n.h"

namespace vexlor::editor {

using namespace window;

QWidget* EditorWindow::buildRecordsBox() {
    auto* recordsBox = new QGroupBox(tr("Records the game keeps"));
    auto* recordsLayout = new QVBoxLayout(recordsBox);
    auto* askedRow = new QHBoxLayout;
    askedLabel_ = new QLabel;
    askedRow->addWidget(askedLabel_, 1);
    auto* forget = new QPushButton(tr("&Forget Asked Questions..."));
    forget->setAccessibleName(tr("Forget asked questions"));
    connect(forget, &QPushButton::clicked, this, &EditorWindow::forgetAsked);
    askedRow->addWidget(forget);
    recordsLayout->addLayout(askedRow);
    recordsLayout->addWidget(new QLabel(tr("Top ten:")));
    scores_ = new QListWidget;
    scores_->setAccessibleName(tr("Top ten"));
    connect(scores_, &QListWidget::currentRowChanged, this, [this] { updateActions(); });
    recordsLayout->addWidget(scores_);
    auto* scoreButtons = new QHBoxLayout;
    auto* deleteEntry = new QPushButton(tr("&Delete Entry..."));
    deleteEntry->setAccessibleName(tr("Delete the selected top-ten entry"));
    connect(deleteEntry, &QPushButton::clicked, this, &EditorWindow::deleteScore);
    auto* clearAll = new QPushButton(tr("C&lear Top Ten..."));
    clearAll->setAccessibleName(tr("Clear the top ten"));
    connect(clearAll, &QPushButton::clicked, this, &EditorWindow::clearScores);
    scoreButtons->addStretch(1);
    scoreButtons->addWidget(deleteEntry);
    scoreButtons->addWidget(clearAll);
    recordsLayout->addLayout(scoreButtons);
    return recordsBox;
}

void EditorWindow::updateRecords() {
    scores_->clear();
    shownScores_.clear();
    if (!document_) {
        askedLabel_->setText(tr("No module is open."));
        return;
    }
    const auto asked = document_->askedCount();
    askedLabel_->setText(
        asked ? tr("Questions asked so far: %1 of %2").arg(*asked).arg(document_->size())
              : tr("The list of asked questions cannot be read: %1")
                    .arg(qt(asked.error().message())));
    auto scores = document_->topTen();
    if (!scores) {
        scores_->addItem(tr("The top ten cannot be read: %1").arg(qt(scores.error().message())));
        return;
    }
    shownScores_ = std::move(*scores);
    int rank = 0;
    for (const authoring::ScoreRecord& score : shownScores_)
        scores_->addItem(
            QStringLiteral("%1. %2    %3    %4")
                .arg(++rank)
                .arg(qt(score.entry.name), qt(score.entry.date), qt(score.entry.score)));
}

void EditorWindow::forgetAsked() {
    if (!document_) return;
    const auto asked = document_->askedCount();
    // An unknown count ("?") is worded as many.
    const auto marked = static_cast<unsigned long>(asked ? *asked : 2);
    if (!prompts_.confirm(
            this, tr("Forget Asked Questions"),
            QString::fromUtf8(i18n::txn("The game will draw from every question again, as if none "
                                        "had been asked (%1 are marked asked now). Forget them?",
                                        "The game will draw from every question again, as if none "
                                        "had been asked (%1 are marked asked now). Forget them?",
                                        marked))
                .arg(asked ? QString::number(*asked) : QStringLiteral("?"))))
        return;
    const auto forgotten = document_->forgetAsked();
    if (!forgotten) prompts_.warn(this, tr("Forget Asked Questions"), qt(forgotten.error().what()));
    recordsWritten();
}

void EditorWindow::deleteScore() {
    if (!document_) return;
    const int line = scores_->currentRow();
    if (line < 0 || line >= static_cast<int>(shownScores_.size())) return;
    const authoring::ScoreRecord& score = shownScores_[static_cast<std::size_t>(line)];
    if (!prompts_.confirm(this, tr("Delete Top-Ten Entry"),
                          tr("Delete %1's score of %2 from the top ten?")
                              .arg(qt(score.entry.name), qt(score.entry.score))))
        return;
    const Status deleted = document_->deleteScore(score);
    if (!deleted) prompts_.warn(this, tr("Delete Top-Ten Entry"), qt(deleted.error().what()));
    recordsWritten();
}

void EditorWindow::clearScores() {
    if (!document_) return;
    if (!prompts_.confirm(this, tr("Clear Top Ten"),
                          tr("Delete every score of the top ten? This cannot be undone.")))
        return;
    const auto cleared = document_->clearScores();
    if (!cleared) prompts_.warn(this, tr("Clear Top Ten"), qt(cleared.error().what()));
    recordsWritten();
}

void EditorWindow::recordsWritten() {
    recordsUnsaved_ = recordsUnsaved_ || !earlier_.empty();
    updateRecords();
    updateTitle();
}

}  // namespace vexlor::editor
