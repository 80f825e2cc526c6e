#include "ui/qt_adapters.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>

#include "ui/about_dialog.h"
#include "ui/hscore_dialog.h"
#include "ui/main_window.h"

namespace vexlor::ui {

namespace {

// A modal window runs its own event loop, and the main window is drawn only after the routine
// that opened it returns: without this the window behind would show the state of before.
void drawWindowBehind(QWidget* parent) {
    if (auto* main = qobject_cast<MainWindow*>(parent)) main->render();
}

// Runs a modal window. When it closes the window behind asks for the keyboard again: not every
// desktop hands it back, and the game is played from the keyboard too.
int runModal(QDialog& dialog, QWidget* behind) {
    const int result = dialog.exec();
    if (behind) behind->window()->activateWindow();
    return result;
}

std::uint32_t littleEndian(const QByteArray& bytes, int at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

// Qt decodes a truncated bmp into a picture whose missing rows are left blank; a bmp is shown
// only when the file holds all the pixels its header promises.
bool bmpIsComplete(const QString& file, qint64 fileSize) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = in.read(54);
    if (head.size() < 26) return false;
    const std::uint64_t pixelsAt = littleEndian(head, 10, 4);
    const std::uint32_t headerSize = littleEndian(head, 14, 4);
    std::uint64_t width = 0, height = 0, bitsPerPixel = 0, compression = 0, imageSize = 0;
    if (headerSize == 12) {
        width = littleEndian(head, 18, 2);
        height = littleEndian(head, 20, 2);
        bitsPerPixel = littleEndian(head, 24, 2);
    } else {
        if (head.size() < 38) return false;
        width = static_cast<std::uint32_t>(
            std::abs(static_cast<std::int32_t>(littleEndian(head, 18, 4))));
        height = static_cast<std::uint32_t>(
            std::abs(static_cast<std::int32_t>(littleEndian(head, 22, 4))));
        bitsPerPixel = littleEndian(head, 28, 2);
        compression = littleEndian(head, 30, 4);
        imageSize = littleEndian(head, 34, 4);
    }
    // Run-length coded pixels have no fixed size: the header's own count is what is checked.
    const bool runLength = compression == 1 || compression == 2;
    const std::uint64_t pixelBytes =
        runLength ? imageSize : (width * bitsPerPixel + 31) / 32 * 4 * height;
    return pixelsAt + pixelBytes <= static_cast<std::uint64_t>(fileSize);
}

}  // namespace

std::optional<std::string> QtFileDialog::showOpen(const platform::OpenFileRequest& request) {
    drawWindowBehind(parent_);
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
    if (request.flags & platform::open_flags::kChooseFolder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
    if (runModal(dialog, parent_) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

void QtMessageBox::show(const std::string& text, int style, const std::string& title) {
    drawWindowBehind(parent_);
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setTextFormat(Qt::PlainText);
    // Parts of a message are joined by a carriage return, which a label does not break on.
    box.setText(QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    box.setIcon((style & 0x70) == platform::message_style::kExclamation ? QMessageBox::Warning
                                                                        : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    runModal(box, parent_);
}

bool QtMessageBox::ask(const std::string& text, const std::string& title) {
    drawWindowBehind(parent_);
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    runModal(box, parent_);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

double QtWindows::scale() const {
    return window_ != nullptr ? window_->scale() : 1.0;
}

void QtWindows::showAbout() {
    drawWindowBehind(window_);
    AboutDialog dialog(*form_, window_, scale());
    runModal(dialog, window_);
}

platform::HighScoreEntry QtWindows::showHighScoreEntry() {
    drawWindowBehind(window_);
    HScoreDialog dialog(*form_, window_, scale());
    runModal(dialog, window_);
    return dialog.entry();
}

void QtWindows::endProgram() {
    // Ends the event loop as soon as the click is handled; nothing is asked or saved.
    QCoreApplication::exit(0);
}

QtPictureLoader::QtPictureLoader() {
    // The limit holds for every decoder in the process, whatever asks it to decode.
    QImageReader::setAllocationLimit(kAllocationLimitMb);
}

std::shared_ptr<const platform::Picture> QtPictureLoader::load(const std::string& path) {
    const QString file = QString::fromStdString(path);
    // Only plain files of a sane size: a pipe or a device would block the window.
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > kMaxFileBytes) return nullptr;

    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "gif" && format != "bmp" && format != "ico") return nullptr;
    if (format == "bmp" && !bmpIsComplete(file, info.size())) return nullptr;
    // The size a file declares is checked before anything is decoded.
    const QSize declared = reader.size();
    if (declared.isValid() &&
        (declared.isEmpty() || declared.width() > kMaxSide || declared.height() > kMaxSide ||
         qint64{declared.width()} * declared.height() > kMaxPixels))
        return nullptr;
    QImage image;
    if (!reader.read(&image) || image.isNull()) return nullptr;
    return std::make_shared<QtPicture>(std::move(image));
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
