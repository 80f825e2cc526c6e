#pragma once

// The words the game's pictures carry ("Start" on a button, "SCORE" on a title), in the user's
// language. The pictures hold their English word as outlines (assets/make-art.py); in another
// language those outlines are replaced by the translated word's, laid out as the English was, so
// the picture's own shadow, face and ink still draw it.

#include <QByteArray>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <optional>

namespace vexlor::ui {

/// A picture's word and where it goes, in the picture's own units.
struct Lettering {
    QString english;        ///< as the picture's outlines draw it
    QString word;           ///< the same in the user's language
    QRectF room;            ///< the word is centred in it, its capitals centred vertically
    double size = 15;       ///< the English word's pixel size
    double tracking = 0.0;  ///< added between letters, in ems
};

/// No word is drawn smaller than this, however long its translation.
inline constexpr double kSmallestLettering = 8.0;

/// The word of one of the game's pictures (":/buttons/start.svg"), with its translation; nothing
/// for a picture without a word to translate (the logo; "50/50").
std::optional<Lettering> letteringOf(const QString& resource);
/// The face `lettering.word` is drawn in, at `pixelSize`: its letters spaced out as the
/// English's only when it is drawn at the English size.
QFont letteringFace(const Lettering& lettering, int pixelSize);
/// The size `lettering.word` is drawn at: the English size, or as much smaller as it takes to fit
/// the room, but never below kSmallestLettering.
double letteringSize(const Lettering& lettering);
/// The outlines of `lettering.word` in its place; squeezed sideways when even the smallest size is
/// too wide.
QPainterPath letteringPath(const Lettering& lettering);
/// A picture's SVG as the game draws it: its bytes unchanged when the word is the English, else
/// with the translated word's outlines in place of the English ones.
QByteArray letteredPicture(const QString& resource);

}  // namespace vexlor::ui
