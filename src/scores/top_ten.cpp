#include "scores/top_ten.h"

#include <algorithm>
#include <cstdlib>

#include "text/text.h"

namespace vexlor::scores {

std::size_t characterCount(std::string_view text) {
    return text::utf8Length(text);
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, text::utf8Offset(text, count)));
}

double scoreValue(std::string_view text) {
    // Read as the ranking's conversion of a text to a real number does, so that the tenth line
    // compares as it is ranked.
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

std::string rankPrefix(int rank) {
    return rank >= 10 ? std::to_string(rank) + "." : " " + std::to_string(rank) + ".";
}

std::string topTenLine(int rank, std::string_view name, std::string_view date,
                       std::string_view score) {
    // A name too long for its column (only rows written by other programs have one) is cut,
    // so the line still shows this row and not what the label held before.
    std::string line = rankPrefix(rank) + firstCharacters(name, kNameWidth);
    line.append(kNameWidth - std::min(characterCount(name), kNameWidth), ' ');
    line += ' ';
    line += date;
    line += ' ';
    line += score;
    return line;
}

std::string emptyTopTenLine(int rank) {
    return topTenLine(rank, "", "", "");
}

bool qualifies(long long score, std::optional<std::string_view> tenthScore) {
    return score > 0 && (!tenthScore || scoreValue(*tenthScore) < static_cast<double>(score));
}

}  // namespace vexlor::scores
