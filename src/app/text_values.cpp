#include "app/text_values.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vexlor::app {

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

std::string formatScore(double value) {
    const long long whole = std::llround(value);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, whole < 0 ? "-%05lld" : "%05lld",
                  whole < 0 ? -whole : whole);
    return buffer;
}

std::string formatDate(const platform::Date& date) {
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int month = date.month >= 1 && date.month <= 12 ? date.month : 1;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s/%02d/%04d",
                  kMonths[static_cast<std::size_t>(month - 1)], date.day, date.year);
    return buffer;
}

int randomWholeNumber(platform::Random& random, const platform::Clock& clock, int n) {
    random.reseed(static_cast<float>(clock.secondsSinceMidnight()));
    const float r = random.next();
    return static_cast<int>(std::floor(static_cast<double>(n) * static_cast<double>(r))) + 1;
}

}  // namespace vexlor::app
