#pragma once

#include <string_view>

namespace vexlor::rules {

/// The numeric value of a text: the number at its start (blanks before it skipped, an
/// optional sign, digits, a decimal fraction where one follows); 0 when it starts with none.
/// "00012" gives 12, "12 points" 12, "1.5" 1.5, "" and "abc" 0.
double numericValue(std::string_view text);

/// Whether a text starts with a number by the rule of numericValue.
bool startsWithNumber(std::string_view text);

/// Whether a text is a number and nothing else (blanks around it aside): "100", not "100 pts".
bool isNumber(std::string_view text);

}  // namespace vexlor::rules
