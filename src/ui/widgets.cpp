#include "ui/widgets.h"

#include <QFontDatabase>
#include <QPainter>

namespace vexlor::ui {

QFont fontOf(const app::Font& font) {
    QFont qfont;
    if (font.fixedPitch) {
        // "Courier" where it exists; otherwise the desktop's fixed-pitch face, so padded columns
        // still line up.
        qfont = QFont(QStringLiteral("Courier"));
        qfont.setStyleHint(QFont::TypeWriter);
        qfont.setFixedPitch(true);
        if (!QFontInfo(qfont).fixedPitch())
            qfont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    } else {
        qfont = QFont(QStringLiteral("Liberation Sans"));
        qfont.setStyleHint(QFont::SansSerif);
    }
    qfont.setPixelSize(static_cast<int>(font.points * 96.0 / 72.0 + 0.5));
    qfont.setBold(font.bold);
    return qfont;
}

PictureButton::PictureButton(const QString& svgResource, QWidget* parent)
    : QAbstractButton(parent), picture_(svgResource) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF area = rect();
    if (isDown()) area.translate(1, 1);  // a pressed button sinks a little
    picture_.render(&painter, area);
    if (isDown()) painter.fillRect(area, QColor(0, 0, 0, 40));
}

SvgPicture::SvgPicture(const QString& svgResource, QWidget* parent)
    : QWidget(parent), picture_(svgResource) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    picture_.render(&painter, QRectF(rect()));
}

void renderLabel(const app::Label& element, QLabel& label) {
    label.setVisible(element.Visible);
    label.setGeometry(placeOf(element));
    const QString text = QString::fromStdString(element.Caption);
    if (label.text() != text) label.setText(text);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, colourOf(element.BackColor));
    palette.setColor(QPalette::WindowText, colourOf(element.ForeColor));
    label.setPalette(palette);
}

}  // namespace vexlor::ui
