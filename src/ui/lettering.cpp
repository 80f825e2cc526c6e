#include "ui/lettering.h"

#include <QFile>
#include <QFontMetricsF>
#include <QTransform>
#include <algorithm>

#include "text/i18n.h"

namespace vexlor::ui {

namespace {

// Words are laid out at this size and then scaled: a QFont's pixel size is whole, a word's is not.
constexpr int kLayoutSize = 100;

// The rooms as assets/make-art.py lays the English out: a button's word runs from its badge (or
// 4 units from its left end) to 4 units before its right end, its capitals centred on the
// button's middle; a title's word sits between its icon and the rounding of its pill.
Lettering badge(const char* english, const char* word) {
    return {QString::fromUtf8(english), QString::fromUtf8(word), QRectF(32, 0, 69, 37), 15, 0};
}
Lettering plain(const char* english, const char* word) {
    return {QString::fromUtf8(english), QString::fromUtf8(word), QRectF(4, 0, 65, 37), 15, 0};
}
Lettering title(const char* english, const char* word, double width) {
    // The English has 0.6 units between its letters at 10.5.
    return {QString::fromUtf8(english), QString::fromUtf8(word), QRectF(16, 0, width - 18, 17.5),
            10.5, 0.6 / 10.5};
}

QFont layoutFace(const Lettering& lettering) {
    QFont face = letteringFace(kLayoutSize);
    if (lettering.tracking != 0.0)
        face.setLetterSpacing(QFont::AbsoluteSpacing, lettering.tracking * kLayoutSize);
    return face;
}

// At kLayoutSize, from the first letter's start to the last's end.
double layoutWidth(const QFont& face, const Lettering& lettering) {
    // Qt spaces out every letter, the last too; the English has spacing only between letters.
    return QFontMetricsF(face).horizontalAdvance(lettering.word) - face.letterSpacing();
}

QByteArray pathData(const QPainterPath& path) {
    QByteArray data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        data += element.isMoveTo()    ? 'M'
                : element.isLineTo()  ? 'L'
                : element.isCurveTo() ? 'C'
                                      : ' ';
        data += QByteArray::number(element.x, 'f', 2) + ' ' + QByteArray::number(element.y, 'f', 2);
    }
    return data;
}

}  // namespace

std::optional<Lettering> letteringOf(const QString& resource) {
    using i18n::txc;
    // TRANSLATORS: drawn in bold on the game's Open button, right of its round icon: about 69
    // pixels wide at 15 pixels high. A longer word is drawn smaller: prefer a short one.
    if (resource == u":/buttons/open.svg") return badge("Open", txc("button", "Open"));
    // TRANSLATORS: on the game's Start button: about 69 pixels wide.
    if (resource == u":/buttons/start.svg") return badge("Start", txc("button", "Start"));
    // TRANSLATORS: on the game's button to the next question: about 69 pixels wide.
    if (resource == u":/buttons/next.svg") return badge("Next", txc("button", "Next"));
    // TRANSLATORS: on the game's button that plays the question's sound again: about 69 pixels.
    if (resource == u":/buttons/replay.svg") return badge("Replay", txc("button", "Replay"));
    // TRANSLATORS: on the game's About button: about 69 pixels wide.
    if (resource == u":/buttons/about.svg") return badge("About", txc("button", "About"));
    // TRANSLATORS: on the game's Exit button: about 69 pixels wide.
    if (resource == u":/buttons/exit.svg") return badge("Exit", txc("button", "Exit"));
    // TRANSLATORS: on the game's Pause button, which has no icon: about 65 pixels wide.
    if (resource == u":/buttons/pause.svg") return plain("Pause", txc("button", "Pause"));
    if (resource == u":/buttons/ok.svg") {
        // TRANSLATORS: on the OK button of the About and name windows: about 85 pixels wide.
        Lettering ok = plain("OK", txc("button", "OK"));
        ok.room = QRectF(4, 0, 85, 29);
        return ok;
    }
    // TRANSLATORS: the title over the game's score, in capitals, right of a star: about 46
    // pixels wide at 10.5 pixels high.
    if (resource == u":/titles/score.svg") return title("SCORE", txc("title", "SCORE"), 64);
    // TRANSLATORS: the title over the game's clock, in capitals, right of a clock: about 38
    // pixels wide at 10.5 pixels high.
    if (resource == u":/titles/clock.svg") return title("TIME", txc("title", "TIME"), 56);
    return std::nullopt;
}

QFont letteringFace(int pixelSize) {
    // The face the English outlines were made from.
    QFont face(QStringLiteral("DejaVu Sans"));
    face.setStyleHint(QFont::SansSerif);
    face.setBold(true);
    face.setPixelSize(pixelSize);
    // Outlines at their design widths, as the English ones are.
    face.setHintingPreference(QFont::PreferNoHinting);
    return face;
}

double letteringSize(const Lettering& lettering) {
    const double width = layoutWidth(layoutFace(lettering), lettering);
    if (width <= lettering.room.width() * kLayoutSize / lettering.size) return lettering.size;
    return std::max(kSmallestLettering, lettering.room.width() * kLayoutSize / width);
}

QPainterPath letteringPath(const Lettering& lettering) {
    const QFont face = layoutFace(lettering);
    QPainterPath path;
    path.addText(0, 0, face, lettering.word);
    const double width = layoutWidth(face, lettering);
    const double scale = letteringSize(lettering) / kLayoutSize;
    const double sideways = width > 0 ? std::min(scale, lettering.room.width() / width) : scale;
    const double capitals = QFontMetricsF(face).capHeight() * scale;
    QTransform place;
    place.translate(lettering.room.center().x() - width * sideways / 2,
                    lettering.room.center().y() + capitals / 2);
    place.scale(sideways, scale);
    return place.map(path);
}

QByteArray letteredPicture(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray svg = file.readAll();
    const std::optional<Lettering> lettering = letteringOf(resource);
    if (!lettering || lettering->word == lettering->english || lettering->word.trimmed().isEmpty())
        return svg;
    // The word is the path "t": a button draws it twice through <use>, shadow and face; a title
    // fills it with its ink.
    static constexpr char kWord[] = "<path id=\"t\" d=\"";
    const qsizetype at = svg.indexOf(kWord);
    if (at < 0) return svg;
    const qsizetype begin = at + qsizetype(sizeof kWord) - 1;
    const qsizetype end = svg.indexOf('"', begin);
    if (end < 0) return svg;
    return svg.replace(begin, end - begin, pathData(letteringPath(*lettering)));
}

}  // namespace vexlor::ui
