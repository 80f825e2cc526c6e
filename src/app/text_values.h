#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/random.h"
#include "rules/numbers.h"

namespace vexlor::app {

using rules::numericValue;
using rules::startsWithNumber;

/// A number with the pattern "00000": rounded to a whole number, at least five digits,
/// padded with leading zeros, never cut ("00012", "123456", "-00003").
std::string formatScore(double value);

/// A date with the pattern "mmm/dd/yyyy" and English month names: "Jan/07/2000".
std::string formatDate(const platform::Date& date);

/// A random whole number from 1 to n: re-seeds from the time of day, then floor(n * r) + 1.
int randomWholeNumber(platform::Random& random, const platform::Clock& clock, int n);

}  // namespace vexlor::app
