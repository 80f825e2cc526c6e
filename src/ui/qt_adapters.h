#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>

#include "app/master_form.h"
#include "platform/dialogs.h"
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
    app::MasterForm* form_ = nullptr;
    MainWindow* window_ = nullptr;
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
