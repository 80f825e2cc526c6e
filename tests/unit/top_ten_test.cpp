// The lines of the top ten and the test a final score must pass to enter it.

#include <gtest/gtest.h>

#include "app/hscore_form.h"
#include "scores/top_ten.h"

namespace vexlor::scores {
namespace {

// A line is a three-wide rank prefix, the name cut or padded to 20 characters, blank, date,
// blank, score: 41 characters for a five-digit score; date and score shown as stored.
TEST(TopTenLine, PadsOrCutsTheNameToTwentyCharacters) {
    const std::string date = "Jan/07/2000";
    const std::pair<std::string, std::string> cases[] = {
        {topTenLine(3, "Ann", date, "00350"), " 3.Ann                  Jan/07/2000 00350"},
        {topTenLine(1, "Abcdefghijklmnopqrst", date, "00350"),
         " 1.Abcdefghijklmnopqrst Jan/07/2000 00350"},
        {topTenLine(5, "Abcdefghijklmnopqrstu", date, "1"),
         " 5.Abcdefghijklmnopqrst Jan/07/2000 1"},
        {topTenLine(2, "", "1/7/2000", "123456"),
         " 2." + std::string(20, ' ') + " 1/7/2000 123456"},
        {topTenLine(10, "Zoe", date, "00010"), "10.Zoe                  Jan/07/2000 00010"},
        {emptyTopTenLine(10), "10." + std::string(22, ' ')},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(line, expected);
    EXPECT_EQ(cases[0].first.size(), 41u);

    // Names are UTF-8: padding, cutting and the name box's limit count characters and never
    // split one; an invalid byte counts as the one mark a window shows for it.
    const std::string zoe = "Zo\xC3\xAB", cjk = "\xE6\x9D\xB1", emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(topTenLine(1, zoe, "D", "S"), " 1." + zoe + std::string(17, ' ') + " D S");
    std::string long21;
    for (int i = 0; i < 21; ++i) long21 += cjk;
    EXPECT_EQ(topTenLine(1, long21, "D", "S"), " 1." + long21.substr(0, 60) + " D S");
    for (const auto& [text, count] : std::vector<std::pair<std::string, std::size_t>>{
             {"\xC3", 1}, {"a\x80\x80z", 4}, {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}})
        EXPECT_EQ(characterCount(text), count);
    EXPECT_EQ(firstCharacters("\xE6\x9D", 1), "\xE6");  // a broken sequence is not glued
    std::string wide;
    for (int i = 0; i < 20; ++i) wide += emoji;
    EXPECT_TRUE(HScoreForm::NameH_Accepts(wide));
    EXPECT_FALSE(HScoreForm::NameH_Accepts(wide + "a"));
    EXPECT_FALSE(HScoreForm::NameH_Accepts(std::string(21, 'a')));
}

// A score enters only above 0 and strictly above the tenth row's whole score, read as the
// module ranks it; without a tenth row any positive score enters.
TEST(Qualification, NeedsMoreThanTheTenthScoreAndMoreThanZero) {
    const std::tuple<long long, std::optional<std::string_view>, bool> cases[] = {
        {350, "00350", false},    {351, "00350", true},      {0, std::nullopt, false},
        {0, "", false},           {1, std::nullopt, true},   {1, "", true},
        {1, "none", true},        {100000, "123456", false},  // not by its last five digits, 23456
        {123457, "123456", true}, {999, "1e3", false},        // ranked as 1000
    };
    for (const auto& [score, tenth, enters] : cases)
        EXPECT_EQ(qualifies(score, tenth), enters)
            << score << " against '" << tenth.value_or("-") << "'";
}

}  // namespace
}  // namespace vexlor::scores
