#pragma once

// The ranking of high scores, defined once: the SQL the module store orders by and the C++
// comparison the game ranks a score with are both read from here, and a test runs the one
// against the other on the same rows.

#include <array>
#include <cstdint>
#include <string_view>

namespace vexlor::rules::ranking {

/// Texts joined at compile time, so that statements built from the pieces below stay constants.
template <const std::string_view&... Parts>
struct Joined {
    static constexpr auto chars = [] {
        std::array<char, (Parts.size() + ... + 0)> out{};
        std::size_t at = 0;
        for (std::string_view part : {Parts...})
            for (char c : part) out[at++] = c;
        return out;
    }();
    static constexpr std::string_view text{chars.data(), chars.size()};
};
template <const std::string_view&... Parts>
inline constexpr std::string_view joined = Joined<Parts...>::text;

/// What stands for the score table's row id in the ordering terms below.
inline constexpr std::string_view kRowIdMarker = "{rowid}";

/// The numeric value of a stored score, in SQL: the number at the start of the text.
inline constexpr std::string_view kScoreValueSql = R"(CAST("Score" AS REAL))";

inline constexpr std::string_view kDescending = " DESC, ";
inline constexpr std::string_view kAscending = " ASC, ";
inline constexpr std::string_view kRowIdAscending = "{rowid} ASC";
inline constexpr std::string_view kRowIdDescending = "{rowid} DESC";

/// ORDER BY terms putting the best entry first: the higher value, and of equal values the
/// earlier entry (the lower row id).
inline constexpr std::string_view kBestFirstSql =
    joined<kScoreValueSql, kDescending, kRowIdAscending>;
/// The same ranking the other way round, the best entry last: the order the game walks.
inline constexpr std::string_view kBestLastSql =
    joined<kScoreValueSql, kAscending, kRowIdDescending>;

/// The value of a stored score as kScoreValueSql reads it (the number at the start of the
/// text, blanks before it skipped, with a fraction and an exponent: "00350" 350, "1e3" 1000);
/// 0 when the text starts with none.
double scoreValue(std::string_view text);

/// One stored score and the row it is in.
struct Entry {
    std::string_view score;
    std::int64_t row = 0;
};

/// Whether `a` ranks above `b` by kBestFirstSql.
bool ranksAbove(const Entry& a, const Entry& b);

}  // namespace vexlor::rules::ranking
