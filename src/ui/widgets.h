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

namespace vexlor::ui {

/// Twips to device-independent pixels (15 twips to a pixel).
inline int pixels(int twips) {
    return (twips + 7) / 15;
}
inline QRect placeOf(const app::Element& element) {
    return {pixels(element.Left), pixels(element.Top), pixels(element.Width),
            pixels(element.Height)};
}
inline QColor colourOf(app::Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}
/// The font of an element: point sizes are those of a 96-dpi screen.
QFont fontOf(const app::Font& font);
/// The program's icon: the logo's disc, at the sizes window systems ask for.
QIcon applicationIcon();

/// A button that is all picture: the picture is drawn from an SVG at any scale.
class PictureButton : public QAbstractButton {
    Q_OBJECT
  public:
    PictureButton(const QString& svgResource, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QSvgRenderer picture_;
};

/// A fixed picture drawn from an SVG.
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

/// Shows a loaded picture scaled down to fit, proportions kept, never enlarged.
class PictureView : public QWidget {
    Q_OBJECT
  public:
    explicit PictureView(QWidget* parent) : QWidget(parent) {}
    void setPicture(std::shared_ptr<const platform::Picture> picture);
    const platform::Picture* picture() const { return picture_.get(); }
    /// Where the picture lands inside a widget of `area`; empty when there is none.
    static QRect placeFor(QSize picture, QSize area);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::shared_ptr<const platform::Picture> picture_;
};

// One routine per kind of element: each copies every property the element has into its widget.
void renderElement(const app::Element& element, QWidget& widget);
void renderLabel(const app::Label& element, QLabel& label);
void renderButton(const app::PictureButton& element, PictureButton& button);
void renderFrame(const app::Frame& element, QGroupBox& frame);
void renderShape(const app::Shape& element, QWidget& shape);
void renderImage(const app::Image& element, SvgPicture& image);
void renderPictureBox(const app::PictureBox& element, PictureView& view);
/// Sets a widget's background, leaving it alone when it already has it.
void setBackground(QWidget& widget, app::Rgb colour);

}  // namespace vexlor::ui
