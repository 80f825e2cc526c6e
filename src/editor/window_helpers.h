#pragma once

// What the editor window's files share: conversions between its texts and the library's, the
// counts it writes, and the wait shown during a long step.

#include <QGuiApplication>
#include <QStatusBar>
#include <QString>
#include <cstddef>
#include <filesystem>
#include <string>

#include "text/i18n.h"

namespace vexlor::editor::window {

inline QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// The game's messages join their parts with a carriage return, which a label does not break on.
inline QString gameMessage(const std::string& text) {
    return qt(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

inline std::filesystem::path pathOf(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// "1 question", "3 questions", in the user's language, for a sentence whose other words do not
// change with the count; a sentence that does is one plural entry of its own.
inline QString questions(std::size_t count) {
    // TRANSLATORS: a count put into other sentences ("Opened %1: 3 questions").
    return QString::fromUtf8(i18n::txn("%1 question", "%1 questions", count))
        .arg(QString::number(count));
}

// Shared by the import's review and its last word; %1 is the count, %2 the file.
inline QString addedAfterLast(std::size_t count) {
    return QString::fromUtf8(
        i18n::txn("%1 question from %2 will be added after the last question.",
                  "%1 questions from %2 will be added after the last question.", count));
}
inline QString questionsSkipped(std::size_t count) {
    return QString::fromUtf8(
               i18n::txn("%1 question is skipped.", "%1 questions are skipped.", count))
        .arg(QString::number(count));
}

// The wait cursor, and what is being done in the status bar, while a long step keeps the event
// loop waiting (a paste of tens of megabytes takes seconds).
class Busy {
  public:
    Busy(QStatusBar* bar, const QString& doing) : bar_(bar) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        bar_->showMessage(doing);
        bar_->repaint();
    }
    ~Busy() {
        bar_->clearMessage();
        QGuiApplication::restoreOverrideCursor();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    QStatusBar* bar_;
};

}  // namespace vexlor::editor::window
