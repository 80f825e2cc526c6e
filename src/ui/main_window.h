#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "app/master_form.h"
#include "ui/widgets.h"

namespace vexlor::ui {

/// The main window on screen. It forwards clicks, and the keys that stand for them, to the
/// window's routines and, after every event, draws the state of `MasterForm`; it keeps no state
/// of its own beyond whether it fills the screen.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(app::MasterForm& form);

    /// Copies every element's state into its widget.
    void render();
    /// The widget that shows an element, by the element's name; null when it has none.
    QWidget* widgetFor(const QString& name) const;
    /// Fills the screen with the window, scaled alike in both directions and centred on black,
    /// or goes back to the window's own size.
    void setFullScreen(bool on);
    /// How much larger than its own size the window is drawn: 1 unless it fills the screen.
    double scale() const { return scale_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    /// A key presses the element it stands for, when that element is offered: visible and
    /// enabled, as a click needs it. F11 switches full screen, which Escape also leaves.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLabel* addLabel(app::Label& element, QWidget* parent);
    ClickableLabel* addAnswer(app::Label& element, const QString& spoken,
                              void (app::MasterForm::*handler)());
    void addButton(app::PictureButton& element, const QString& picture, const QString& spoken,
                   void (app::MasterForm::*handler)());
    /// Has assistive technology read `spoken` followed by the element's current text.
    void speakWithText(QLabel& label, const QString& spoken);
    /// Back from full screen: the place the window had, or the middle of the screen.
    void placeOnScreen();
    /// Runs a routine of the window for a click, then draws the outcome.
    void handle(void (app::MasterForm::*handler)());

    struct Clickable {
        QWidget* widget;
        void (app::MasterForm::*handler)();
    };

    app::MasterForm& form_;
    QWidget* surface_;    // holds every element; the window's size, or scaled in full screen
    double scale_ = 1.0;  // of the surface to the window's own size
    QRect normalPlace_;   // where the window was before it filled the screen
    std::vector<std::function<void()>> renderers_;
    std::map<const app::Element*, Clickable> clickables_;
};

}  // namespace vexlor::ui
