// Draws an SVG centred on a transparent square PNG, proportions kept: the icon theme wants
// square pictures at fixed sizes, and the artwork is drawn as SVG.
//
// Usage: vexlor-render-icon SOURCE.svg SIZE TARGET.png [X,Y,WIDTH,HEIGHT]
// The optional area is the part of the picture drawn, in the SVG's own units; only the circle
// inside it is drawn, so what touches the circle from outside stays out.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s SOURCE.svg SIZE TARGET.png [X,Y,WIDTH,HEIGHT]\n", argv[0]);
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
    if (argc == 5) {
        const QStringList area = QString::fromLocal8Bit(argv[4]).split(QLatin1Char(','));
        if (area.size() != 4) {
            std::fprintf(stderr, "%s: the area is X,Y,WIDTH,HEIGHT\n", argv[0]);
            return 2;
        }
        picture.setViewBox(
            QRectF(area[0].toDouble(), area[1].toDouble(), area[2].toDouble(), area[3].toDouble()));
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QSizeF drawn = picture.viewBoxF().size();
    drawn.scale(size, size, Qt::KeepAspectRatio);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (argc == 5) {
            QPainterPath circle;
            circle.addEllipse(QRectF(0, 0, size, size));
            painter.setClipPath(circle);
        }
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
