#include "ui/qt_adapters.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/about_dialog.h"
#include "ui/hscore_dialog.h"
#include "ui/main_window.h"

namespace vexlor::ui {

std::optional<std::string> QtFileDialog::showOpen(const platform::OpenFileRequest& request) {
    QFileDialog dialog(parent_, QString::fromStdString(request.title),
                       QString::fromStdString(request.initialFolder));
    // "Description (*.ext)|*.ext": the dialog shows the description, which names the pattern.
    const QString filter = QString::fromStdString(request.filter).section(QLatin1Char('|'), 0, 0);
    dialog.setNameFilter(filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // This dialog never changes the current folder and has no read-only check box to hide.
    if (request.flags & platform::open_flags::kFileMustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

void QtMessageBox::show(const std::string& text, int style, const std::string& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setTextFormat(Qt::PlainText);
    // Parts of a message are joined by a carriage return, which a label does not break on.
    box.setText(QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    box.setIcon((style & 0x70) == platform::message_style::kExclamation ? QMessageBox::Warning
                                                                        : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void QtWindows::showAbout() {
    AboutDialog dialog(*form_, window_);
    dialog.exec();
}

platform::HighScoreEntry QtWindows::showHighScoreEntry() {
    HScoreDialog dialog(*form_, window_);
    dialog.exec();
    return dialog.entry();
}

void QtWindows::endProgram() {
    // Ends the event loop as soon as the click is handled; nothing is asked or saved.
    QCoreApplication::exit(0);
}

void QtTimerDriver::armed(platform::Timer& timer) {
    QTimer*& qtimer = timers_[&timer];
    if (qtimer == nullptr) {
        qtimer = new QTimer(this);
        qtimer->setTimerType(Qt::PreciseTimer);
        connect(qtimer, &QTimer::timeout, this, [this, &timer] {
            timer.tick();
            afterTick_();
        });
    }
    if (timer.Interval > 0) qtimer->start(timer.Interval);  // start() restarts the interval
}

void QtTimerDriver::disarmed(platform::Timer& timer) {
    if (auto found = timers_.find(&timer); found != timers_.end()) found->second->stop();
}

}  // namespace vexlor::ui
