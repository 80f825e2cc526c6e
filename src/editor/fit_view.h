#pragma once

#include <QGraphicsView>

class QGraphicsProxyWidget;

namespace vexlor::editor {

/// Shows one widget at its own size when there is room, and scaled down, still live, to fit
/// when there is not: the game's window keeps its proportions on a small screen.
class FitView : public QGraphicsView {
    Q_OBJECT
  public:
    /// Takes `widget`, which must have no parent.
    explicit FitView(QWidget* widget, QWidget* parent = nullptr);

    /// The scale the widget is drawn at now, at most 1.
    double scale() const { return scale_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fit();

    QGraphicsProxyWidget* proxy_;
    double scale_ = 1;
};

}  // namespace vexlor::editor
