#include "rules/ranking.h"

#include <cstdlib>
#include <string>

namespace vexlor::rules::ranking {

double scoreValue(std::string_view text) {
    // The engine's conversion of a text to a real number: the longest prefix that reads as one.
    std::size_t i = 0;
    auto digitAt = [&](std::size_t at) {
        return at < text.size() && text[at] >= '0' && text[at] <= '9';
    };
    while (i < text.size() &&
           std::string_view(" \t\n\v\f\r").find(text[i]) != std::string_view::npos)
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false;
    for (; digitAt(i); ++i) digits = true;
    if (i < text.size() && text[i] == '.')
        for (++i; digitAt(i); ++i) digits = true;
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (digitAt(exponent))
            for (i = exponent; digitAt(i);) ++i;
    }
    const std::string number(text.substr(start, i - start));
    return std::strtod(number.c_str(), nullptr);
}

bool ranksAbove(const Entry& a, const Entry& b) {
    const double first = scoreValue(a.score), second = scoreValue(b.score);
    if (first != second) return first > second;
    return a.row < b.row;
}

}  // namespace vexlor::rules::ranking
