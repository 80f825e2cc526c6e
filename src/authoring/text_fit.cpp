#include "authoring/text_fit.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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

// The line-break classes of the characters a question is written in, as the labels' line
// breaking tells them apart: letters and most symbols are kAlpha. Characters outside Latin
// text (CJK among them) are drawn by other faces, whose widths this measure cannot know.
enum BreakClass : std::uint8_t {
    kAlpha,
    kNumber,
    kHyphen,
    kBreakAfter,
    kDash,  // an em dash: breaks on both sides
    kExclamation,
    kSlash,
    kClose,
    kCloseParenthesis,
    kOpen,
    kQuote,
    kInfixSeparator,
    kEllipsis,
    kPrefix,
    kPostfix,
    kGlue,
    kBreakBefore,
    kZeroWidthSpace,
    kCombining,
    kBlank,  // a space the line may wrap at
    kLineBreak,
};

// The characters of each class but kAlpha and kNumber.
constexpr std::pair<BreakClass, std::u32string_view> kClassMembers[] = {
    {kBlank, U" \t\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2008\u2009\u200A\u205F\u3000"},
    {kLineBreak, U"\n\u2028\u2029"},
    {kHyphen, U"-"},
    {kZeroWidthSpace, U"\u200B"},
    {kBreakAfter, U"|\u00AD\u2010\u2012\u2013"},
    {kDash, U"\u2014"},
    {kExclamation, U"!?"},
    {kSlash, U"/"},
    {kClose, U"}"},
    {kCloseParenthesis, U")]"},
    {kOpen, U"([{\u00A1\u00BF"},
    {kQuote, U"\"'\u00AB\u00BB\u2018\u2019\u201B\u201C\u201D\u201F\u2039\u203A"},
    {kInfixSeparator, U",.:;"},
    {kEllipsis, U"\u2024\u2025\u2026"},
    {kPrefix, U"$+\\\u00A3\u00A5\u00B1\u20AC\u2116"},
    {kPostfix, U"%\u00A2\u00B0\u2030\u2032\u2033"},
    {kGlue, U"\u00A0\u2007\u2011\u202F\u2060\uFEFF"},
    {kBreakBefore, U"\u00B4\u02C8\u02CC\u02DF"},
};

BreakClass breakClass(char32_t c) {
    if (c >= '0' && c <= '9') return kNumber;
    for (const auto& [type, members] : kClassMembers)
        if (members.find(c) != std::u32string_view::npos) return type;
    const bool combining = (c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
                           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
                           (c >= 0xFE20 && c <= 0xFE2F);
    return combining ? kCombining : kAlpha;
}

// Whether the labels may wrap between two characters of a word, by the classes of the two
// (one row per class before, one column per class after, in the order of BreakClass).
bool mayBreakBetween(BreakClass before, BreakClass after) {
    static constexpr const char* kTable[] = {
        // A N H B D E S C P O Q I E P P G B
        "00001000000000001",  // kAlpha
        "00001000000000001",  // kNumber
        "10001000010001111",  // kHyphen
        "11001000010001111",  // kBreakAfter
        "11000000010001101",  // kDash
        "11001000010001101",  // kExclamation
        "11001000010001101",  // kSlash
        "11001000010001101",  // kClose
        "00001000010001101",  // kCloseParenthesis
        "00000000000000000",  // kOpen
        "00000000000000000",  // kQuote
        "01001000010001101",  // kInfixSeparator
        "11001000010001101",  // kEllipsis
        "00001000010001101",  // kPrefix
        "00001000010001101",  // kPostfix
        "00000000000000000",  // kGlue
        "00000000000000000",  // kBreakBefore
        "11111111111111111",  // kZeroWidthSpace
    };
    if (before > kZeroWidthSpace || after > kBreakBefore) return false;
    return kTable[before][after] == '1';
}

// Characters that take no room: the labels draw nothing for them.
bool isInvisible(char32_t c) {
    return c == 0xAD || (c >= 0x200B && c <= 0x200F) || (c >= 0x2060 && c <= 0x2064) ||
           c == 0xFEFF || c < 0x20 || (c >= 0x7F && c < 0xA0);
}

}  // namespace

// What the layout needs of one character in one weight and size, in 1/64 pixel.
struct GlyphMetrics {
    FT_UInt index = 0;
    std::int64_t advance = 0;
    std::int64_t rightOverhang = 0;  // how far its ink reaches past its advance, or 0
};

struct TextMeasure::Faces {
    // A configuration of its own, freed with the rest: the process-wide one is never freed.
    FcConfig* config = nullptr;
    FT_Library library = nullptr;
    FT_Face faces[2] = {nullptr, nullptr};  // regular, bold
    // By weight, pixel size and character: a module repeats few characters.
    std::unordered_map<std::uint64_t, GlyphMetrics> glyphs;

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
    const std::int64_t lineSpacing = face->size->metrics.height;

    // Widths are summed in 1/64 pixel, as the game's labels sum them, so that a text at the
    // edge of its panel gets the label's verdict.
    auto glyph = [&](char32_t code) -> GlyphMetrics {
        const std::uint64_t key =
            (std::uint64_t{font.bold} << 63) | (std::uint64_t(pixels) << 32) | code;
        // A text of many distinct characters must not grow the cache without end.
        if (faces_->glyphs.size() >= 4096 && !faces_->glyphs.contains(key)) faces_->glyphs.clear();
        auto [place, added] = faces_->glyphs.try_emplace(key);
        if (!added) return place->second;
        GlyphMetrics& metrics = place->second;
        metrics.index = FT_Get_Char_Index(face, code);
        // The labels place glyphs at their design widths, cut to 1/64 pixel, and let a glyph's
        // ink reach past its advance (an "f") only where the lightly hinted outline does.
        if (FT_Load_Glyph(face, metrics.index, FT_LOAD_TARGET_LIGHT) == 0) {
            const FT_GlyphSlot slot = face->glyph;
            metrics.advance = slot->linearHoriAdvance >> 10;
            const std::int64_t inkRight =
                (slot->metrics.horiBearingX + slot->metrics.width + 63) & ~std::int64_t{63};
            const std::int64_t advance = (slot->advance.x + 32) & ~std::int64_t{63};
            metrics.rightOverhang = std::max<std::int64_t>(0, inkRight - advance);
        }
        return metrics;
    };
    // Kerning in 1/64 pixel, rounded from font units as the labels' shaper rounds it.
    const std::int64_t kerningScale =
        (std::int64_t{pixels} * 64 * 65536) / std::max<FT_UShort>(face->units_per_EM, 1);
    auto kerning = [&](const GlyphMetrics& left, const GlyphMetrics& right) -> std::int64_t {
        FT_Vector delta{0, 0};
        if (!FT_HAS_KERNING(face) || left.index == 0 || right.index == 0) return 0;
        FT_Get_Kerning(face, left.index, right.index, FT_KERNING_UNSCALED, &delta);
        return (static_cast<std::int64_t>(delta.x) * kerningScale + 32768) >> 16;
    };

    std::vector<char32_t> codes;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t code = nextCharacter(text, pos);
        if (code != '\r') codes.push_back(code);
    }

    // Greedy wrapping as a word-wrapped label does it. The line may wrap at blanks and between
    // the characters the line-break rules allow (after a hyphen, around a dash, ...). A piece
    // goes on the line when the line, the blanks before the piece, the piece and the ink its
    // last glyph puts past its advance fit the width, else it starts the next line. Blanks at
    // the start of a line take room; blanks where a line wraps do not. A pair's kerning
    // belongs to its first character, so a blank after "A" narrows the word and a blank before
    // it widens the blanks.
    const std::int64_t limit = std::int64_t{width} * 64;
    // A label's tabs stop every eight widths of an "x", in whole pixels.
    const std::int64_t tabStop = std::max<std::int64_t>(8 * ((glyph('x').advance + 32) & ~63), 64);
    TextLayout layout;
    layout.lines = 1;
    std::int64_t line = 0, blanks = 0, word = 0;
    bool lineEmpty = true;
    std::size_t wordEnd = 0;  // index just after the piece's last character
    // A line ended by blanks (a tab that does not fit, a run wider than the panel): the next
    // line begins only where something follows, a blank too.
    bool lineEnded = false;
    auto startAfterBlanks = [&] {
        if (!lineEnded) return;
        ++layout.lines;
        line = 0;
        lineEmpty = true;
        lineEnded = false;
    };
    auto endWord = [&] {
        if (wordEnd == 0) return;
        const std::int64_t overhang = glyph(codes[wordEnd - 1]).rightOverhang;
        if (!lineEmpty && line + blanks + word + overhang > limit) {
            ++layout.lines;
            line = word;
        } else {
            line += blanks + word;
        }
        if (line > limit) layout.tooWide = true;
        lineEmpty = false;
        blanks = word = 0;
        wordEnd = 0;
    };
    BreakClass previous = kBlank, beforePrevious = kBlank;  // of the last two visible characters
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const char32_t code = codes[i];
        BreakClass type = breakClass(code);
        startAfterBlanks();
        if (type == kLineBreak) {
            endWord();
            ++layout.lines;
            line = blanks = 0;
            lineEmpty = true;
            previous = beforePrevious = kBlank;
            continue;
        }
        const GlyphMetrics metrics = glyph(code);
        std::int64_t advance = isInvisible(code) ? 0 : metrics.advance;
        if (i + 1 < codes.size() && breakClass(codes[i + 1]) != kLineBreak)
            advance += kerning(metrics, glyph(codes[i + 1]));
        if (code == '\t') {
            // A tab is placed at once: the blanks before it end the line when they do not fit,
            // and a tab that does not fit ends the line; one past the end of an overflowing
            // line starts the next.
            if (wordEnd != 0) {
                endWord();
            } else if (!lineEmpty && line + blanks > limit) {
                ++layout.lines;
                line = 0;
                lineEmpty = true;
            } else {
                line += blanks;
                lineEmpty = lineEmpty && blanks == 0;
            }
            blanks = 0;
            const std::int64_t tab = (line / tabStop + 1) * tabStop - line;
            if (!lineEmpty && line + tab > limit && line <= limit) {
                lineEnded = true;
            } else if (!lineEmpty && line + tab > limit) {
                ++layout.lines;
                line = tabStop;
            } else {
                line += tab;
                lineEmpty = false;
            }
            previous = beforePrevious = kBlank;
            continue;
        }
        if (type == kBlank) {
            endWord();
            blanks += advance;
            // A run of blanks wider than the panel ends the line.
            const bool runEnds =
                i + 1 == codes.size() || codes[i + 1] == '\t' || breakClass(codes[i + 1]) != kBlank;
            if (runEnds && blanks > limit) {
                lineEnded = true;
                blanks = 0;
            }
            previous = beforePrevious = kBlank;
            continue;
        }
        if (type == kCombining) type = previous == kBlank ? kAlpha : previous;
        // Inside a number ("1,000", "3/4") a separator does not break before a digit.
        const bool inNumber = beforePrevious == kNumber &&
                              (previous == kInfixSeparator || previous == kSlash) &&
                              type == kNumber;
        if (previous != kBlank && !inNumber && mayBreakBetween(previous, type)) endWord();
        word += advance;
        wordEnd = i + 1;
        beforePrevious = previous;
        previous = type;
    }
    endWord();
    layout.linesShown =
        lineSpacing > 0 ? static_cast<int>(std::int64_t{height} * 64 / lineSpacing) : 0;
    return layout;
}

}  // namespace vexlor::authoring
