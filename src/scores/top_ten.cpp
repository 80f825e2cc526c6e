#include "scores/top_ten.h"

#include <algorithm>

#include "rules/ranking.h"
#include "text/text.h"

namespace vexlor::scores {

std::size_t characterCount(std::string_view text) {
    return text::utf8Length(text);
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, text::utf8Offset(text, count)));
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
    return score > 0 &&
           (!tenthScore || rules::ranking::scoreValue(*tenthScore) < static_cast<double>(score));
}

}  // namespace vexlor::scores
