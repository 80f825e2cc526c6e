// Draws an SVG centred on a transparent square PNG, proportions kept: the icon theme wants
// square pictures at fixed sizes, and the artwork is drawn as SVG.
//
// Usage: vexlor-render-icon SOURCE.svg SIZE TARGET.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE.svg SIZE TARGET.png\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QSvgRenderer picture(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (!picture.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "%s: cannot draw %s at %s pixels\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QSizeF drawn = picture.defaultSize();
    drawn.scale(size, size, Qt::KeepAspectRatio);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        picture.render(
            &painter,
            QRectF(QPointF((size - drawn.width()) / 2, (size - drawn.height()) / 2), drawn));
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
