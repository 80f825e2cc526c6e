// The lines of the top ten and the test a final score must pass to enter it.

#include <gtest/gtest.h>

#include "scores/hscore_form.h"
#include "scores/top_ten.h"

namespace vexlor::scores {
namespace {

// A line is prefix, name padded to 20 characters, blank, date, blank, score: 41 characters.
TEST(TopTenLine, PadsTheNameToTwentyCharactersBeforeDateAndScore) {
    const std::string line = topTenLine(3, "Ann", "Jan/07/2000", "00350");
    EXPECT_EQ(line, " 3.Ann                  Jan/07/2000 00350");
    EXPECT_EQ(line.size(), 41u);

    EXPECT_EQ(topTenLine(1, "Abcdefghijklmnopqrst", "Jan/07/2000", "00350"),
              " 1.Abcdefghijklmnopqrst Jan/07/2000 00350");
    EXPECT_EQ(topTenLine(2, "", "Jan/07/2000", "00350"),
              " 2." + std::string(20, ' ') + " Jan/07/2000 00350");
    // Date and score are shown as stored, whatever their length.
    EXPECT_EQ(topTenLine(4, " Bo ", "1/7/2000", "123456"),
              " 4. Bo " + std::string(16, ' ') + " 1/7/2000 123456");
}

// Ranks 1 to 9 have a leading blank; rank 10 has none, so every prefix is three wide.
TEST(TopTenLine, RankTenHasNoLeadingBlank) {
    EXPECT_EQ(rankPrefix(1), " 1.");
    EXPECT_EQ(rankPrefix(9), " 9.");
    EXPECT_EQ(topTenLine(10, "Zoe", "Feb/01/2001", "00010").substr(0, 6), "10.Zoe");
    EXPECT_EQ(emptyTopTenLine(10), "10." + std::string(22, ' '));
}

// A stored name longer than the column is cut to 20 characters, so the columns stay aligned.
TEST(TopTenLine, CutsALongerStoredNameToTwentyCharacters) {
    EXPECT_EQ(topTenLine(5, "Abcdefghijklmnopqrstu", "Jan/07/2000", "00350"),
              " 5.Abcdefghijklmnopqrst Jan/07/2000 00350");
    EXPECT_EQ(topTenLine(5, std::string(300, 'x'), "d", "s"),
              " 5." + std::string(20, 'x') + " d s");
}

// Names are UTF-8: padding and cutting count characters, never split one, and an invalid
// byte counts as the one mark a window shows for it.
TEST(TopTenLine, CountsUtf8CharactersNotBytes) {
    const std::string zoe = "Zo\xC3\xAB";  // Zoë
    EXPECT_EQ(characterCount(zoe), 3u);
    EXPECT_EQ(topTenLine(1, zoe, "D", "S"), " 1." + zoe + std::string(17, ' ') + " D S");

    std::string cjk;  // 21 three-byte characters
    for (int i = 0; i < 21; ++i) cjk += "\xE6\x9D\xB1";
    EXPECT_EQ(characterCount(cjk), 21u);
    EXPECT_EQ(topTenLine(1, cjk, "D", "S"), " 1." + cjk.substr(0, 60) + " D S");
    const std::string emoji = "\xF0\x9F\x98\x80";  // one character outside the basic plane
    EXPECT_EQ(firstCharacters(emoji + emoji, 1), emoji);

    EXPECT_EQ(characterCount("\xC3"), 1u);              // cut short
    EXPECT_EQ(characterCount("a\x80\x80z"), 4u);        // stray continuation bytes
    EXPECT_EQ(characterCount("\xC0\xAF"), 2u);          // overlong form
    EXPECT_EQ(characterCount("\xED\xA0\x80"), 3u);      // surrogate
    EXPECT_EQ(firstCharacters("\xE6\x9D", 1), "\xE6");  // a broken sequence is not glued
}

// The name box takes at most 20 characters, counted as characters.
TEST(TopTenLine, TheNameBoxTakesTwentyCharacters) {
    EXPECT_TRUE(HScoreForm::NameH_Accepts(std::string(20, 'a')));
    EXPECT_FALSE(HScoreForm::NameH_Accepts(std::string(21, 'a')));
    std::string wide;
    for (int i = 0; i < 20; ++i) wide += "\xF0\x9F\x98\x80";
    EXPECT_TRUE(HScoreForm::NameH_Accepts(wide));
    EXPECT_FALSE(HScoreForm::NameH_Accepts(wide + "a"));
}

// A score enters only when above 0 and strictly above the tenth line's score.
TEST(Qualification, NeedsMoreThanTheTenthScoreAndMoreThanZero) {
    const std::string tenth = topTenLine(10, "Ann", "Jan/07/2000", "00350");
    EXPECT_FALSE(qualifies("00350", tenth));
    EXPECT_TRUE(qualifies("00351", tenth));
    EXPECT_FALSE(qualifies("00000", tenth));
    EXPECT_FALSE(qualifies("00000", ""));
    EXPECT_FALSE(qualifies("00000", emptyTopTenLine(10)));
}

// A tenth line without a score (none yet, a blank rank, a score that is not a number) reads 0.
TEST(Qualification, ATenthLineWithoutAScoreLetsAnyPositiveScoreIn) {
    EXPECT_TRUE(qualifies("00001", ""));
    EXPECT_TRUE(qualifies("00001", emptyTopTenLine(10)));
    EXPECT_TRUE(qualifies("00001", topTenLine(10, "Ann", "Jan/07/2000", "")));
    EXPECT_TRUE(qualifies("00001", topTenLine(10, "Ann", "Jan/07/2000", "none")));
    // Digits in the name or the prefix are not the score.
    EXPECT_TRUE(qualifies("00001", topTenLine(10, "R2D2 99999", "", "")));
}

// The whole score at the end of the line counts: six digits are not read as their last five.
TEST(Qualification, ReadsSixDigitScoresWhole) {
    const std::string tenth = topTenLine(10, "Ann", "Jan/07/2000", "123456");
    EXPECT_FALSE(qualifies("100000", tenth));  // its last five digits, 23456, would let it in
    EXPECT_FALSE(qualifies("123456", tenth));
    EXPECT_TRUE(qualifies("123457", tenth));
    EXPECT_EQ(lineScore(topTenLine(10, "Abcdefghijklmnopqrstuvw", "Jan/07/2000", "00042")), 42);
    EXPECT_EQ(lineScore(topTenLine(10, "Zo\xC3\xAB", "Jan/07/2000", "00042 ")), 42);
}

}  // namespace
}  // namespace vexlor::scores
