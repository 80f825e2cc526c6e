#include "ui/widgets.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "ui/lettering.h"
#include "ui/qt_adapters.h"

namespace vexlor::ui {

namespace {

// "Courier" where it exists; otherwise the desktop's fixed-pitch face, so padded columns
// still line up. Looked up once: the answer does not change while the program runs.
const QFont& fixedPitchFace() {
    static const QFont face = [] {
        QFont courier(QStringLiteral("Courier"));
        courier.setStyleHint(QFont::TypeWriter);
        courier.setFixedPitch(true);
        if (QFontInfo(courier).fixedPitch()) return courier;
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }();
    return face;
}

Qt::Alignment horizontalOf(app::Alignment alignment) {
    switch (alignment) {
        case app::Alignment::Left:
            return Qt::AlignLeft;
        case app::Alignment::Right:
            return Qt::AlignRight;
        case app::Alignment::Centre:
            break;
    }
    return Qt::AlignHCenter;
}

void setColour(QPalette& palette, QPalette::ColorRole role, app::Rgb colour, bool& changed) {
    const QColor wanted = colourOf(colour);
    if (palette.color(role) == wanted) return;
    palette.setColor(role, wanted);
    changed = true;
}

}  // namespace

QFont fontOf(const app::Font& font, double scale) {
    QFont qfont;
    if (font.fixedPitch) {
        qfont = fixedPitchFace();
    } else {
        qfont = QFont(QString::fromLatin1(rules::panels::kSansFace));
        qfont.setStyleHint(QFont::SansSerif);
    }
    qfont.setPixelSize(rules::panels::pixelSize(font, scale));
    qfont.setBold(font.bold);
    // Glyphs keep their design widths whatever the desktop's hinting, so a text wraps as the
    // authoring check measures it.
    qfont.setHintingPreference(QFont::PreferVerticalHinting);
    return qfont;
}

double fittingScale(QSize size, double scale, const QWidget* over) {
    const QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
    if (scale <= 1.0 || screen == nullptr || size.isEmpty()) return scale;
    // A little room is left for the window's frame.
    const QSize room = screen->availableGeometry().size() * 0.95;
    const double fits =
        std::min(double(room.width()) / size.width(), double(room.height()) / size.height());
    return std::max(1.0, std::min(scale, fits));
}

QIcon applicationIcon() {
    // As the installed icons are drawn: only the logo's disc, which stays legible when small.
    QSvgRenderer logo(QStringLiteral(":/logo.svg"));
    logo.setViewBox(QRectF(70, 16, 136, 136));
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath disc;
        disc.addEllipse(QRectF(0, 0, size, size));
        painter.setClipPath(disc);
        logo.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

PictureButton::PictureButton(const QString& svgResource, QWidget* parent)
    : QAbstractButton(parent), picture_(letteredPicture(svgResource)) {
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
    if (hasFocus()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

SvgPicture::SvgPicture(const QString& svgResource, QWidget* parent)
    : QWidget(parent), picture_(letteredPicture(svgResource)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    picture_.render(&painter, QRectF(rect()));
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) emit clicked();
}

void PictureView::setScale(double scale) {
    if (scale == scale_) return;
    scale_ = scale;
    update();
}

void PictureView::setPicture(std::shared_ptr<const platform::Picture> picture) {
    if (picture == picture_) return;
    picture_ = std::move(picture);
    update();
}

QRect PictureView::placeFor(QSize picture, QSize area) {
    if (picture.isEmpty() || area.isEmpty()) return {};
    QSize size = picture;
    if (size.width() > area.width() || size.height() > area.height())
        size = picture.scaled(area, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    return QRect(QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
                 size);
}

void PictureView::paintEvent(QPaintEvent*) {
    const auto* picture = dynamic_cast<const QtPicture*>(picture_.get());
    if (picture == nullptr) return;
    const QRect target = placeFor(picture->image().size() * scale_, size());
    if (target.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture->image());
}

void renderElement(const app::Element& element, QWidget& widget, double scale) {
    const QRect place = scaled(placeOf(element), scale);
    if (widget.geometry() != place) widget.setGeometry(place);
    if (widget.isVisibleTo(widget.parentWidget()) != element.Visible)
        widget.setVisible(element.Visible);
}

void setBackground(QWidget& widget, app::Rgb colour) {
    QPalette palette = widget.palette();
    bool changed = false;
    setColour(palette, QPalette::Window, colour, changed);
    if (changed) widget.setPalette(palette);
}

void renderLabel(const app::Label& element, QLabel& label, double scale) {
    renderElement(element, label, scale);
    const QString text = QString::fromStdString(element.Caption);
    if (label.text() != text) label.setText(text);

    QPalette palette = label.palette();
    bool changed = false;
    setColour(palette, QPalette::Window, element.BackColor, changed);
    setColour(palette, QPalette::WindowText, element.ForeColor, changed);
    if (changed) label.setPalette(palette);

    const QFont font = fontOf(element.font, scale);
    if (label.font() != font) label.setFont(font);

    // Text starts at the top of an element that holds several lines and is centred in a
    // one-line element; fixed-pitch lines are columns and never wrap.
    const bool severalLines = label.height() >= 2 * font.pixelSize();
    const Qt::Alignment alignment =
        horizontalOf(element.alignment) | (severalLines ? Qt::AlignTop : Qt::AlignVCenter);
    if (label.alignment() != alignment) label.setAlignment(alignment);
    if (label.wordWrap() == element.font.fixedPitch) label.setWordWrap(!element.font.fixedPitch);
}

void renderButton(const app::PictureButton& element, PictureButton& button, double scale) {
    renderElement(element, button, scale);
}

void renderFrame(const app::Frame& element, QGroupBox& frame, double scale) {
    renderElement(element, frame, scale);
    const QString caption = QString::fromStdString(element.Caption);
    if (frame.title() != caption) frame.setTitle(caption);
    const QFont font = fontOf(element.font, scale);
    if (frame.font() != font) frame.setFont(font);
    const auto px = [scale](int pixels) { return QString::number(qRound(pixels * scale)); };
    const QString style =
        QStringLiteral(
            "QGroupBox { background: %1; border: %3px solid #808080; margin-top: 0px; }"
            "QGroupBox::title { color: %2; subcontrol-origin: padding; left: %4px; top: %5px; }")
            .arg(colourOf(element.BackColor).name(), colourOf(element.ForeColor).name(), px(1),
                 px(6), px(2));
    if (frame.styleSheet() != style) frame.setStyleSheet(style);
}

void renderShape(const app::Shape& element, QWidget& shape, double scale) {
    renderElement(element, shape, scale);
    setBackground(shape, element.FillColor);
}

void renderImage(const app::Image& element, SvgPicture& image, double scale) {
    renderElement(element, image, scale);
}

void renderPictureBox(const app::PictureBox& element, PictureView& view, double scale) {
    renderElement(element, view, scale);
    view.setScale(scale);
    view.setPicture(element.Picture);
}

}  // namespace vexlor::ui
