#pragma once

#include <memory>
#include <string_view>

#include "rules/text_panels.h"

namespace vexlor::authoring {

/// How a text lies in a panel, word-wrapped as the game's labels wrap it.
struct TextLayout {
    int lines = 0;         ///< lines the text takes
    int linesShown = 0;    ///< lines the panel's height shows
    bool tooWide = false;  ///< a word alone is wider than the panel, and is cut at its side

    bool fits() const { return lines <= linesShown && !tooWide; }
};

/// Measures texts with the face the game draws them in (the one fontconfig gives for the
/// game's face and weight), without the game's window library.
class TextMeasure {
  public:
    /// The measure of this process, or null when no font file can be found for the face.
    static TextMeasure* shared();

    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    /// `text` (UTF-8) in `font`, wrapped into `width` pixels as the game's word-wrapped labels
    /// wrap it (at blanks, and where the line-break rules allow, as after a hyphen), in a panel
    /// `height` pixels tall. A line break in the text starts a new line.
    TextLayout layout(std::string_view text, const rules::Font& font, int width, int height);

  private:
    struct Faces;
    explicit TextMeasure(std::unique_ptr<Faces> faces);
    std::unique_ptr<Faces> faces_;
};

}  // namespace vexlor::authoring
