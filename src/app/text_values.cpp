#include "app/text_values.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace vexlor::app {

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
