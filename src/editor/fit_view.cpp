#include "editor/fit_view.h"

#include <QEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <algorithm>

namespace vexlor::editor {

namespace {

// Below this the game's smallest text is no longer legible.
constexpr double kSmallestScale = 0.45;

}  // namespace

FitView::FitView(QWidget* widget, QWidget* parent) : QGraphicsView(parent) {
    auto* scene = new QGraphicsScene(this);
    proxy_ = scene->addWidget(widget);
    setScene(scene);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                   QPainter::SmoothPixmapTransform);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setBackgroundRole(QPalette::Window);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    widget->installEventFilter(this);
    fit();
}

QSize FitView::sizeHint() const {
    return proxy_->widget()->sizeHint();
}

QSize FitView::minimumSizeHint() const {
    const QSize full = proxy_->widget()->sizeHint();
    return QSize(static_cast<int>(full.width() * kSmallestScale),
                 static_cast<int>(full.height() * kSmallestScale));
}

void FitView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    fit();
}

bool FitView::eventFilter(QObject* watched, QEvent* event) {
    // The widget's own size follows its contents (a picture, another tab).
    if (watched == proxy_->widget() && event->type() == QEvent::LayoutRequest) {
        proxy_->resize(proxy_->widget()->sizeHint());
        fit();
    }
    return QGraphicsView::eventFilter(watched, event);
}

void FitView::fit() {
    const QSizeF full = proxy_->widget()->sizeHint();
    proxy_->resize(full);
    scene()->setSceneRect(QRectF(QPointF(0, 0), full));
    const QSize room = viewport()->size();
    if (full.isEmpty() || room.isEmpty()) return;
    scale_ = std::clamp(std::min(room.width() / full.width(), room.height() / full.height()),
                        kSmallestScale, 1.0);
    setTransform(QTransform::fromScale(scale_, scale_));
}

}  // namespace vexlor::editor
