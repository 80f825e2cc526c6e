#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QSvgRenderer>
#include <QWidget>

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

/// Copies a text element's state into a QLabel.
void renderLabel(const app::Label& element, QLabel& label);

}  // namespace vexlor::ui
