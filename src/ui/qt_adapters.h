#pragma once

#include <QImage>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

#include "app/master_form.h"
#include "platform/dialogs.h"
#include "platform/picture_loader.h"
#include "platform/timer.h"

namespace vexlor::ui {

class MainWindow;

/// The file-open dialog: the program's own (not the desktop's), so it behaves the same everywhere.
class QtFileDialog final : public platform::FileDialog {
  public:
    std::optional<std::string> showOpen(const platform::OpenFileRequest& request) override;
    void setParent(QWidget* parent) { parent_ = parent; }

  private:
    QWidget* parent_ = nullptr;
};

class QtMessageBox final : public platform::MessageBox {
  public:
    void show(const std::string& text, int style, const std::string& title) override;
    bool ask(const std::string& text, const std::string& title) override;
    void setParent(QWidget* parent) { parent_ = parent; }

  private:
    QWidget* parent_ = nullptr;
};

/// Opens the program's modal windows over the main window.
class QtWindows final : public platform::Windows {
  public:
    void showAbout() override;
    platform::HighScoreEntry showHighScoreEntry() override;
    void endProgram() override;
    void setMainWindow(app::MasterForm* form, MainWindow* window) {
        form_ = form;
        window_ = window;
    }

  private:
    /// The windows opened over the main window are enlarged with it.
    double scale() const;

    app::MasterForm* form_ = nullptr;
    MainWindow* window_ = nullptr;
};

/// A decoded picture, drawn by the window.
class QtPicture final : public platform::Picture {
  public:
    explicit QtPicture(QImage image) : image_(std::move(image)) {}
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    const QImage& image() const { return image_; }

  private:
    QImage image_;
};

/// Decodes gif, bmp and ico files, judged by their content, within fixed bounds: a file
/// that declares a larger picture, or whose decoding would need more memory, gives nothing.
class QtPictureLoader final : public platform::PictureLoader {
  public:
    static constexpr int kMaxSide = 4096;
    static constexpr qint64 kMaxPixels = 4 * 1024 * 1024;
    static constexpr int kAllocationLimitMb = 16;
    static constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

    QtPictureLoader();
    std::shared_ptr<const platform::Picture> load(const std::string& path) override;
};

/// Ticks the window's timers with one precise QTimer each, and has the window drawn after each
/// tick.
class QtTimerDriver final : public QObject, public platform::TimerDriver {
  public:
    explicit QtTimerDriver(std::function<void()> afterTick) : afterTick_(std::move(afterTick)) {}
    void armed(platform::Timer& timer) override;
    void disarmed(platform::Timer& timer) override;

  private:
    std::function<void()> afterTick_;
    std::map<platform::Timer*, QTimer*> timers_;
};

}  // namespace vexlor::ui
