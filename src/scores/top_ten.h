#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexlor::scores {

/// Width of the name column of a top-ten line, in characters.
inline constexpr std::size_t kNameWidth = 20;

/// The number of characters of a UTF-8 text. A byte that does not start a valid sequence counts
/// as one character, as a window shows it as one replacement mark.
std::size_t characterCount(std::string_view text);

/// The first `count` characters of a UTF-8 text, never splitting a character.
std::string firstCharacters(std::string_view text, std::size_t count);

/// The prefix of a rank, three characters wide: " 1." .. " 9.", "10.".
std::string rankPrefix(int rank);

/// One line of the top ten: the rank's prefix, the name padded with blanks (or cut) to 20
/// characters, a blank, the date, a blank and the score, the last two as given.
std::string topTenLine(int rank, std::string_view name, std::string_view date,
                       std::string_view score);

/// The line of a rank no row fills: its prefix and blanks.
std::string emptyTopTenLine(int rank);

/// Whether a final score enters a top ten whose tenth row holds `tenthScore` (nothing when the
/// top ten has fewer rows): it must be above 0 and strictly above the tenth row's score.
bool qualifies(long long score, std::optional<std::string_view> tenthScore);

}  // namespace vexlor::scores
