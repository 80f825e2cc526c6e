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

// Centred where assets/make-art.py centres the English: a button's word between its badge (or
// its left end) and its right end, its capitals on the button's middle; a title's between its
// icon and its right end. The rooms keep clear of the badge, the icon and the rims.
Lettering badge(const char* english, const char* word) {
    return {QString::fromUtf8(english), QString::fromUtf8(word), QRectF(34, 0, 65, 37), 15, 0};
}
Lettering plain(const char* english, const char* word) {
    return {QString::fromUtf8(english), QString::fromUtf8(word), QRectF(4, 0, 65, 37), 15, 0};
}
Lettering title(const char* english, const char* word, double width) {
    // The English has 0.6 units between its letters at 10.5.
    return {QString::fromUtf8(english), QString::fromUtf8(word), QRectF(17.5, 0, width - 21, 17.5),
            10.5, 0.6 / 10.5};
}

// The face the English outlines were made from, letters `spacing` ems apart.
QFont face(int pixelSize, double spacing) {
    QFont face(QStringLiteral("DejaVu Sans"));
    face.setStyleHint(QFont::SansSerif);
    face.setBold(true);
    face.setPixelSize(pixelSize);
    // Outlines at their design widths, as the English ones are.
    face.setHintingPreference(QFont::PreferNoHinting);
    if (spacing != 0.0) face.setLetterSpacing(QFont::AbsoluteSpacing, spacing * pixelSize);
    return face;
}

// At kLayoutSize, from the first letter's start to the last's end.
double layoutWidth(const QFont& face, const QString& word) {
    // Qt spaces out every letter, the last too; the English has spacing only between letters.
    return QFontMetricsF(face).horizontalAdvance(word) - face.letterSpacing();
}

// Letters are spaced out only at the English size: a word that must be smaller is set solid
// first, which keeps it larger.
bool spacedOut(const Lettering& lettering) {
    const QFont spaced = face(kLayoutSize, lettering.tracking);
    return layoutWidth(spaced, lettering.word) * lettering.size / kLayoutSize <=
           lettering.room.width();
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
    // TRANSLATORS: drawn in bold on the game's Open button, right of its round icon: about 65
    // pixels wide at 15 pixels high. A longer word is drawn smaller: prefer a short one.
    if (resource == u":/buttons/open.svg") return badge("Open", txc("button", "Open"));
    // TRANSLATORS: on the game's Start button: about 65 pixels wide.
    if (resource == u":/buttons/start.svg") return badge("Start", txc("button", "Start"));
    // TRANSLATORS: on the game's button to the next question: about 65 pixels wide.
    if (resource == u":/buttons/next.svg") return badge("Next", txc("button", "Next"));
    // TRANSLATORS: on the game's button that plays the question's sound again: about 65 pixels.
    if (resource == u":/buttons/replay.svg") return badge("Replay", txc("button", "Replay"));
    // TRANSLATORS: on the game's About button: about 65 pixels wide.
    if (resource == u":/buttons/about.svg") return badge("About", txc("button", "About"));
    // TRANSLATORS: on the game's Exit button: about 65 pixels wide.
    if (resource == u":/buttons/exit.svg") return badge("Exit", txc("button", "Exit"));
    // TRANSLATORS: on the game's Pause button, which has no icon: about 65 pixels wide.
    if (resource == u":/buttons/pause.svg") return plain("Pause", txc("button", "Pause"));
    if (resource == u":/buttons/ok.svg") {
        // TRANSLATORS: on the OK button of the About and name windows: about 85 pixels wide.
        Lettering ok = plain("OK", txc("button", "OK"));
        ok.room = QRectF(4, 0, 85, 29);
        return ok;
    }
    // TRANSLATORS: the title over the game's score, in capitals, right of a star: about 43
    // pixels wide at 10.5 pixels high.
    if (resource == u":/titles/score.svg") return title("SCORE", txc("title", "SCORE"), 64);
    // TRANSLATORS: the title over the game's clock, in capitals, right of a clock: about 35
    // pixels wide at 10.5 pixels high.
    if (resource == u":/titles/clock.svg") return title("TIME", txc("title", "TIME"), 56);
    return std::nullopt;
}

QFont letteringFace(const Lettering& lettering, int pixelSize) {
    return face(pixelSize, spacedOut(lettering) ? lettering.tracking : 0.0);
}

double letteringSize(const Lettering& lettering) {
    if (spacedOut(lettering)) return lettering.size;
    const double width = layoutWidth(face(kLayoutSize, 0.0), lettering.word);
    return std::clamp(lettering.room.width() * kLayoutSize / width, kSmallestLettering,
                      lettering.size);
}

QPainterPath letteringPath(const Lettering& lettering) {
    const QFont face = letteringFace(lettering, kLayoutSize);
    QPainterPath path;
    path.addText(0, 0, face, lettering.word);
    const double width = layoutWidth(face, lettering.word);
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
