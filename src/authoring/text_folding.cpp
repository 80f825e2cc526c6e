#include "authoring/text_folding.h"

namespace vexlor::authoring {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The small letter of a two-byte capital: Latin-1, Latin Extended-A, Greek and Cyrillic.
char32_t smallLetter(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c == 0x178) return 0xFF;
    // Latin Extended-A pairs a capital with the small letter after it, on even code points
    // but for the stretches from U+0139 to U+0148 and from U+0179 to U+017E.
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F) {
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if ((c % 2 == 1) == oddCapitals) return c + 1;
    }
    return c;
}

// `text` with capitals made small, for comparing without regard to case. Every other byte,
// valid UTF-8 or not, stays as it is.
void appendFolded(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            continue;
        }
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((byte & 0xE0) == 0xC0 && (next & 0xC0) == 0x80) {
            appendUtf8(out, smallLetter(static_cast<char32_t>((byte & 0x1F) << 6 | (next & 0x3F))));
            ++i;
            continue;
        }
        out += static_cast<char>(byte);
    }
}

}  // namespace

std::string folded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendFolded(out, text);
    return out;
}

namespace {

// The letters a Latin letter with accents is written with, for a search that ignores accents
// ("ecole" finds "école", "oeuvre" finds "œuvre"); null for any other character.
const char* baseLetters(char32_t c) {
    struct Range {
        char32_t first, last;
        const char* base;
    };
    static constexpr Range kRanges[] = {
        {0xC0, 0xC5, "a"},   {0xC6, 0xC6, "ae"},   {0xC7, 0xC7, "c"},   {0xC8, 0xCB, "e"},
        {0xCC, 0xCF, "i"},   {0xD0, 0xD0, "d"},    {0xD1, 0xD1, "n"},   {0xD2, 0xD6, "o"},
        {0xD8, 0xD8, "o"},   {0xD9, 0xDC, "u"},    {0xDD, 0xDD, "y"},   {0xDF, 0xDF, "ss"},
        {0xE0, 0xE5, "a"},   {0xE6, 0xE6, "ae"},   {0xE7, 0xE7, "c"},   {0xE8, 0xEB, "e"},
        {0xEC, 0xEF, "i"},   {0xF0, 0xF0, "d"},    {0xF1, 0xF1, "n"},   {0xF2, 0xF6, "o"},
        {0xF8, 0xF8, "o"},   {0xF9, 0xFC, "u"},    {0xFD, 0xFD, "y"},   {0xFF, 0xFF, "y"},
        {0x100, 0x105, "a"}, {0x106, 0x10D, "c"},  {0x10E, 0x111, "d"}, {0x112, 0x11B, "e"},
        {0x11C, 0x123, "g"}, {0x124, 0x127, "h"},  {0x128, 0x131, "i"}, {0x132, 0x133, "ij"},
        {0x134, 0x135, "j"}, {0x136, 0x138, "k"},  {0x139, 0x142, "l"}, {0x143, 0x14B, "n"},
        {0x14C, 0x151, "o"}, {0x152, 0x153, "oe"}, {0x154, 0x159, "r"}, {0x15A, 0x161, "s"},
        {0x162, 0x167, "t"}, {0x168, 0x173, "u"},  {0x174, 0x175, "w"}, {0x176, 0x178, "y"},
        {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"},
    };
    for (const Range& range : kRanges)
        if (c >= range.first && c <= range.last) return range.base;
    return nullptr;
}

}  // namespace

// `text` as the search compares it: folded, without accents, and without the combining accents
// (U+0300 to U+036F) a decomposed "e" + "\u0301" carries.
void appendSearchFolded(std::string& out, std::string_view text) {
    std::string small;
    appendFolded(small, text);
    for (std::size_t i = 0; i < small.size(); ++i) {
        const auto byte = static_cast<unsigned char>(small[i]);
        const auto next = i + 1 < small.size() ? static_cast<unsigned char>(small[i + 1]) : 0;
        if ((byte & 0xE0) == 0xC0 && (next & 0xC0) == 0x80) {
            const auto c = static_cast<char32_t>((byte & 0x1F) << 6 | (next & 0x3F));
            if (c >= 0x300 && c <= 0x36F) {
                ++i;
                continue;
            }
            if (const char* base = baseLetters(c)) {
                out += base;
                ++i;
                continue;
            }
        }
        out += static_cast<char>(byte);
    }
}

std::string searchFolded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendSearchFolded(out, text);
    return out;
}

}  // namespace vexlor::authoring
