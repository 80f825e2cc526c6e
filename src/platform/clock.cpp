#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace vexlor::platform {

namespace {

std::tm localNow(double* fraction) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    if (fraction != nullptr) {
        const auto sinceEpoch = now.time_since_epoch();
        const auto whole = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
        *fraction = std::chrono::duration<double>(sinceEpoch - whole).count();
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

}  // namespace

double SystemClock::secondsSinceMidnight() const {
    double fraction = 0;
    const std::tm local = localNow(&fraction);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

Date SystemClock::today() const {
    const std::tm local = localNow(nullptr);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace vexlor::platform
