#pragma once

// Rules about a module's questions that the game, the editor and the tool share: how many the
// game can count, how a question's number is written into the asked list, and what makes a
// question playable at all.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexlor::rules {

/// The most questions a module may hold: the game counts and numbers them in 16 bits.
inline constexpr std::int64_t kMaxQuestions = 32767;

/// A question's number as the game writes it into the asked list: decimal digits, no sign, no
/// blank, no leading zero ("7", "32767").
std::string askedText(std::int64_t number);

/// The number an asked-list entry names, read back by the rule askedText writes with; 0 for an
/// entry askedText would never write ("007", "+7", " 7", "7.0"), which names no question.
std::int64_t askedNumber(std::string_view text);

/// The blanks a text may be made of and still show nothing.
inline constexpr std::string_view kBlanks = " \t\r\n\f\v";

/// A text without the blanks around it.
std::string_view trimmed(std::string_view text);

/// Why the game cannot ask a question as meant.
struct PlayFault {
    enum Kind { kTextEmpty, kAnswerEmpty, kSameAnswer };
    Kind kind;
    std::size_t answer = 0;   ///< the answer at fault (0 the right one), for the last two
    std::size_t earlier = 0;  ///< the earlier answer it repeats, for kSameAnswer
};

/// Every fault that keeps a question from being played, in the order of its fields: an empty
/// (blank) text, an empty answer, an answer that shows as an earlier one (blanks around them
/// aside; each answer named once, with the first answer it repeats). None for a playable one.
std::vector<PlayFault> playFaults(std::string_view text, std::span<const std::string, 4> answers);

}  // namespace vexlor::rules
