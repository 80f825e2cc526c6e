#pragma once

// What the editor window's files share: conversions between its texts and the library's, the
// counts it writes, and the wait shown during a long step.

#include <QGuiApplication>
#include <QStatusBar>
#include <QString>
#include <cstddef>
#include <filesystem>
#include <string>

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

// "1 question", "3 questions": the program ships no translations to pluralise with.
inline QString counted(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}
inline QString questions(std::size_t count) {
    return counted(count, "question", "questions");
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
