#pragma once

#include <QDialog>
#include <QLabel>

#include "app/about_window.h"
#include "app/master_form.h"

namespace vexlor::ui {

/// The About window on screen: draws `AboutWindow`, rebuilt from the main window on each paint.
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    /// `scale` enlarges the whole window, as the main window is enlarged when it fills the screen.
    AboutDialog(const app::MasterForm& main, QWidget* parent, double scale = 1.0);

  protected:
    void paintEvent(QPaintEvent* event) override;
    /// Enter and Space close it, as they close a message window; so does Escape.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void render();

    const app::MasterForm& main_;
    const double scale_;
    app::AboutWindow window_;
    QLabel* lines_[3];
};

}  // namespace vexlor::ui
