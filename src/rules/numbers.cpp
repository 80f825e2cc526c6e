#include "rules/numbers.h"

#include <optional>

namespace vexlor::rules {

namespace {

// The number at the start of a text, or nothing when the text does not start with one; `end`
// is set past the number.
std::optional<double> leadingNumber(std::string_view text, std::size_t* end = nullptr) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    double sign = 1;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') sign = -1;
        ++i;
    }
    bool digits = false;
    double value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, digits = true)
        value = value * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9';
             ++i, scale /= 10, digits = true)
            value += (text[i] - '0') * scale;
    }
    if (!digits) return std::nullopt;
    if (end != nullptr) *end = i;
    return sign * value;
}

}  // namespace

double numericValue(std::string_view text) {
    return leadingNumber(text).value_or(0);
}

bool startsWithNumber(std::string_view text) {
    return leadingNumber(text).has_value();
}

bool isNumber(std::string_view text) {
    std::size_t end = 0;
    if (!leadingNumber(text, &end)) return false;
    return text.find_first_not_of(" \t", end) == std::string_view::npos;
}

}  // namespace vexlor::rules
