#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include "app/hscore_form.h"
#include "app/master_form.h"

namespace vexlor::ui {

/// The high-score entry window on screen: draws `HScoreForm`, fills the day and the score from
/// the main window each time it is painted, and on OK stores the row and closes. Enter and
/// Escape do nothing; the window's close button closes it and stores nothing.
class HScoreDialog : public QDialog {
    Q_OBJECT
  public:
    /// `scale` enlarges the whole window, as the main window is enlarged when it fills the screen.
    HScoreDialog(app::MasterForm& main, QWidget* parent, double scale = 1.0);

    /// How the window was closed; `Closed` until OK has been pressed.
    platform::HighScoreEntry entry() const { return entry_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void render();
    void cmdOkClicked();

    app::MasterForm& main_;
    const double scale_;
    scores::HScoreForm window_;
    platform::HighScoreEntry entry_ = platform::HighScoreEntry::Closed;
    QLineEdit* name_;
    QLabel* date_;
    QLabel* score_;
};

}  // namespace vexlor::ui
