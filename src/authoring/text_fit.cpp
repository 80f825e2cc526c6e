#include "authoring/text_fit.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "rules/text_panels.h"

namespace vexlor::authoring {

namespace {

// The font file fontconfig gives for the game's face in this weight, as the game's window
// library asks fontconfig for it; empty when there is none.
std::string fontFile(FcConfig* config, bool bold, int& index) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(rules::panels::kSansFace));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    std::string file;
    if (match == nullptr) return file;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    FcPatternDestroy(match);
    return file;
}

// The next code point of UTF-8 text; a byte that starts no character stands for itself.
char32_t nextCharacter(std::string_view text, std::size_t& pos) {
    const auto byte = static_cast<unsigned char>(text[pos++]);
    int more = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t code = more == 0 ? byte : byte & (0x3F >> more);
    for (; more > 0 && pos < text.size(); --more, ++pos) {
        const auto next = static_cast<unsigned char>(text[pos]);
        if ((next & 0xC0) != 0x80) break;
        code = (code << 6) | (next & 0x3F);
    }
    return code;
}

}  // namespace

struct TextMeasure::Faces {
    // A configuration of its own, freed with the rest: the process-wide one is never freed.
    FcConfig* config = nullptr;
    FT_Library library = nullptr;
    FT_Face faces[2] = {nullptr, nullptr};  // regular, bold
    // Advances in pixels, by weight, pixel size and character: a module repeats few characters.
    std::unordered_map<std::uint64_t, double> advances;

    ~Faces() {
        for (FT_Face face : faces)
            if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
        if (config != nullptr) FcConfigDestroy(config);
    }
};

TextMeasure::TextMeasure(std::unique_ptr<Faces> faces) : faces_(std::move(faces)) {}
TextMeasure::~TextMeasure() = default;

TextMeasure* TextMeasure::shared() {
    static const std::unique_ptr<TextMeasure> measure = []() -> std::unique_ptr<TextMeasure> {
        auto faces = std::make_unique<Faces>();
        faces->config = FcInitLoadConfigAndFonts();
        if (faces->config == nullptr || FT_Init_FreeType(&faces->library) != 0) return nullptr;
        for (int bold = 0; bold < 2; ++bold) {
            int index = 0;
            const std::string file = fontFile(faces->config, bold != 0, index);
            if (file.empty() ||
                FT_New_Face(faces->library, file.c_str(), index, &faces->faces[bold]) != 0)
                return nullptr;
        }
        return std::unique_ptr<TextMeasure>(new TextMeasure(std::move(faces)));
    }();
    return measure.get();
}

TextLayout TextMeasure::layout(std::string_view text, const rules::Font& font, int width,
                               int height) {
    FT_Face face = faces_->faces[font.bold ? 1 : 0];
    const int pixels = rules::panels::pixelSize(font);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
    const double lineSpacing = static_cast<double>(face->size->metrics.height) / 64.0;
    const double scale = static_cast<double>(pixels) / face->units_per_EM;

    auto advance = [&](char32_t code) {
        const std::uint64_t key =
            (std::uint64_t{font.bold} << 63) | (std::uint64_t(pixels) << 32) | code;
        auto [place, added] = faces_->advances.try_emplace(key, 0.0);
        // Unhinted advances: the game's labels place glyphs at their design widths.
        if (added && FT_Load_Char(face, code, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0)
            place->second = static_cast<double>(face->glyph->linearHoriAdvance) / 65536.0;
        return place->second;
    };
    auto kerning = [&](char32_t left, char32_t right) {
        FT_Vector delta{0, 0};
        if (!FT_HAS_KERNING(face)) return 0.0;
        FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                       FT_KERNING_UNSCALED, &delta);
        return static_cast<double>(delta.x) * scale;
    };

    // Greedy wrapping at blanks, as a word-wrapped label does: a word goes on the line when it
    // fits there, else starts the next one; blanks at the end of a line take no room.
    TextLayout layout;
    layout.lines = 1;
    double lineWidth = 0, blanks = 0, word = 0;
    bool lineEmpty = true;
    char32_t previous = 0;
    auto endWord = [&] {
        if (word == 0) return;
        if (lineEmpty) {
            lineWidth = word;
        } else if (lineWidth + blanks + word <= width) {
            lineWidth += blanks + word;
        } else {
            ++layout.lines;
            lineWidth = word;
        }
        if (word > width) layout.tooWide = true;
        lineEmpty = false;
        blanks = word = 0;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t code = nextCharacter(text, pos);
        if (code == '\r') continue;
        if (code == '\n') {
            endWord();
            ++layout.lines;
            lineWidth = blanks = 0;
            lineEmpty = true;
            previous = 0;
        } else if (code == ' ' || code == '\t') {
            endWord();
            blanks += advance(' ');
            previous = 0;
        } else {
            word += advance(code) + (previous != 0 ? kerning(previous, code) : 0.0);
            previous = code;
        }
    }
    endWord();
    layout.linesShown = lineSpacing > 0 ? static_cast<int>(std::floor(height / lineSpacing)) : 0;
    return layout;
}

}  // namespace vexlor::authoring
