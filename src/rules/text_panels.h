#pragma once

// The panels a question's texts are drawn in, and their fonts: the game places and draws them
// from here, and the authoring tool measures texts against the same numbers.

#include <algorithm>

namespace vexlor::rules {

/// How a label's text is drawn.
struct Font {
    double points = 8.25;
    bool bold = false;
    bool fixedPitch = false;  ///< a Courier-like face
};

}  // namespace vexlor::rules

namespace vexlor::rules::panels {

/// Places are in twips; the window draws 15 twips to a pixel at its own size.
inline constexpr int kTwipsPerPixel = 15;
/// Labels are drawn at `points * 96 / 72` pixels, as on a 96-dpi screen.
inline constexpr double kPixelsPerPoint = 96.0 / 72.0;
/// The face of every label that is not fixed-pitch.
inline constexpr const char* kSansFace = "Liberation Sans";

struct TextPanel {
    int left, top, width, height;  ///< twips
    Font font;
};

/// PanelQuestion at its full width.
inline constexpr TextPanel kQuestion{60, 300, 6255, 1455, {13.5, true, false}};
/// PanelQuestion's width beside a picture: it ends where Picture1 begins.
inline constexpr int kQuestionWidthBesidePicture = 4620;
/// PanelRepA; PanelRepB to PanelRepD lie below it, each kAnswerSpacing lower.
inline constexpr TextPanel kAnswer{540, 1920, 5295, 375, {13.5, false, false}};
inline constexpr int kAnswerSpacing = 600;
/// Picture1, beside the question, is a square of this side.
inline constexpr int kPictureSide = 1575;

/// Twips to pixels, to the nearest pixel.
inline constexpr int pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

/// The pixel size a label's font is drawn at, in a window drawn `scale` times its size.
inline int pixelSize(const Font& font, double scale = 1.0) {
    return std::max(1, static_cast<int>(font.points * kPixelsPerPoint * scale + 0.5));
}

}  // namespace vexlor::rules::panels
