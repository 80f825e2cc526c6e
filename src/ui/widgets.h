#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QSvgRenderer>
#include <QWidget>
#include <memory>

#include "app/elements.h"
#include "rules/text_panels.h"

namespace vexlor::ui {

/// Twips to device-independent pixels.
using rules::panels::pixels;
inline QRect placeOf(const app::Element& element) {
    return {pixels(element.Left), pixels(element.Top), pixels(element.Width),
            pixels(element.Height)};
}
/// A place at `scale` times its size. The edges are scaled, not the sizes, so elements that touch
/// still touch.
inline QRect scaled(const QRect& place, double scale) {
    if (scale == 1.0) return place;
    const auto edge = [scale](int at) { return static_cast<int>(at * scale + 0.5); };
    return QRect(QPoint(edge(place.left()), edge(place.top())),
                 QPoint(edge(place.right() + 1) - 1, edge(place.bottom() + 1) - 1));
}
inline QColor colourOf(app::Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}
/// The font of an element at `scale` times its size: point sizes are those of a 96-dpi screen.
QFont fontOf(const app::Font& font, double scale = 1.0);
/// `scale`, or less when a window of `size` so enlarged would not fit the screen `over` is on;
/// never less than the window's own size.
double fittingScale(QSize size, double scale, const QWidget* over);
/// The program's icon: the logo's disc, at the sizes window systems ask for.
QIcon applicationIcon();

/// A button that is all picture: the picture is drawn from an SVG at any scale, its word in the
/// user's language.
class PictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    PictureButton(const QString& svgResource, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer picture_;
};

/// A fixed picture drawn from an SVG, its word in the user's language.
class SvgPicture : public QWidget {
    Q_OBJECT
  public:
    SvgPicture(const QString& svgResource, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer picture_;
};

/// A text element that can be clicked: a press and a release inside it make a click.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ClickableLabel(QWidget* parent) : QLabel(parent) {}

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

/// Shows a loaded picture scaled down to fit, proportions kept, never enlarged beyond the
/// window's own scale.
class PictureView : public QWidget {
    Q_OBJECT
  public:
    explicit PictureView(QWidget* parent) : QWidget(parent) {}
    void setPicture(std::shared_ptr<const platform::Picture> picture);
    void setScale(double scale);
    const platform::Picture* picture() const { return picture_.get(); }
    /// Where the picture lands inside a widget of `area`; empty when there is none.
    static QRect placeFor(QSize picture, QSize area);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::shared_ptr<const platform::Picture> picture_;
    double scale_ = 1.0;
};

// One routine per kind of element: each copies every property the element has into its widget,
// places and fonts at `scale` times their size.
void renderElement(const app::Element& element, QWidget& widget, double scale = 1.0);
void renderLabel(const app::Label& element, QLabel& label, double scale = 1.0);
void renderButton(const app::PictureButton& element, PictureButton& button, double scale);
void renderFrame(const app::Frame& element, QGroupBox& frame, double scale);
void renderShape(const app::Shape& element, QWidget& shape, double scale);
void renderImage(const app::Image& element, SvgPicture& image, double scale);
void renderPictureBox(const app::PictureBox& element, PictureView& view, double scale);
/// Sets a widget's background, leaving it alone when it already has it.
void setBackground(QWidget& widget, app::Rgb colour);

}  // namespace vexlor::ui
