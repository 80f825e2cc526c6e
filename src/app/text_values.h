#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/random.h"

namespace vexlor::app {

/// The numeric value of a text: the number at its start (blanks before it skipped, an
/// optional sign, digits, a decimal fraction where one follows); 0 when it starts with none.
/// "00012" gives 12, "12 points" 12, "1.5" 1.5, "" and "abc" 0.
double numericValue(std::string_view text);

/// Whether a text starts with a number by the rule of numericValue.
bool startsWithNumber(std::string_view text);

/// Whether a text is a number and nothing more but blanks: "12" and " 12 ", not "12 points".
bool isNumber(std::string_view text);

/// A number with the pattern "00000": rounded to a whole number, at least five digits,
/// padded with leading zeros, never cut ("00012", "123456", "-00003").
std::string formatScore(double value);

/// A date with the pattern "mmm/dd/yyyy" and English month names: "Jan/07/2000".
std::string formatDate(const platform::Date& date);

/// A random whole number from 1 to n: re-seeds from the time of day, then floor(n * r) + 1.
int randomWholeNumber(platform::Random& random, const platform::Clock& clock, int n);

}  // namespace vexlor::app
