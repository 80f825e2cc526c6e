// Reading modules: info, scores, reset-asked and clear-scores on a played module, ranked as the
// game ranks.

#include <gtest/gtest.h>

#include <array>

#include "authoring/module_file.h"
#include "support/module_files.h"
#include "tool_support.h"

namespace vexlor::authoring {
namespace {

using testing::runInProcess;
using vexlor::testing::alterModule;
using vexlor::testing::TempFolder;

// A module of three questions with `scores` (name, date, score) in its top ten.
std::string playedModule(const TempFolder& folder,
                         const std::vector<std::array<std::string, 3>>& scores) {
    const std::string path = testing::makeModule(
        folder, testing::kHeader + "Q1,A,B,C,D,1,\r\nQ2,A,B,C,D,1,\r\nQ3,A,B,C,D,1,\r\n");
    std::string insert = "INSERT INTO HScore (Nom, Date, Score) VALUES ";
    for (const auto& [name, date, score] : scores)
        insert +=
            (insert.back() == ')' ? ", ('" : "('") + name + "', '" + date + "', '" + score + "')";
    EXPECT_TRUE(alterModule(path, {"INSERT INTO Use (Use) VALUES ('3'), ('1'), ('2')", insert}));
    return path;
}

TEST(ToolModuleCommands, InfoScoresAndResetAskedReadAndClearTheGameTables) {
    // Scores rank by numeric value, best first, equal scores in the order they were made.
    TempFolder folder;
    const std::string module = playedModule(folder, {{"Ann", "Jan/02/2020", "00350"},
                                                     {"Bob", "Feb/03/2021", "90"},
                                                     {"Zoë Long", "Mar/04/2022", "00350"},
                                                     {"Dee", "Apr/05/2023", "01000"},
                                                     {"Eve", "May/06/2024", "00100"}});
    EXPECT_EQ(runInProcess({"info", module}).out,
              "Title: Quiz\nAuthor: Ann\nCompany: Co\nYear: 2024\n"
              "Questions: 3\nAsked: 3\nHigh scores: 5\n");
    EXPECT_EQ(runInProcess({"scores", module}).out,
              "1. Dee       Apr/05/2023  01000\n"
              "2. Ann       Jan/02/2020  00350\n"
              "3. Zoë Long  Mar/04/2022  00350\n"
              "4. Eve       May/06/2024  00100\n"
              "5. Bob       Feb/03/2021  90\n");

    EXPECT_EQ(runInProcess({"reset-asked", module}).out,
              "removed 3 entries from the list of asked questions\n");
    // Clearing the top ten wants --yes; without it, it only says how to confirm.
    const auto unconfirmed = runInProcess({"clear-scores", module});
    EXPECT_EQ(unconfirmed.status, 1);
    EXPECT_NE(unconfirmed.err.find("clear-scores " + module + " --yes"), std::string::npos);
    EXPECT_NE(runInProcess({"info", module}).out.find("Asked: 0\nHigh scores: 5\n"),
              std::string::npos);
    EXPECT_EQ(runInProcess({"clear-scores", module, "--yes"}).out, "removed 5 high scores\n");
    EXPECT_NE(runInProcess({"info", module}).out.find("High scores: 0\n"), std::string::npos);
}

TEST(ToolModuleCommands, TheToolRanksScoresExactlyAsTheGameDelivers) {
    // One ranking rule: texts the two number readers once disagreed on ("1e3", a leading blank,
    // a fraction, no number) come in the same order from the tool's list and the game's top ten.
    TempFolder folder;
    std::vector<std::array<std::string, 3>> scores;
    for (const char* score :
         {"1e3", "00999", " 7", "7", "abc", "12.5", "", "-3", "1E2", "00100", "7.0", "99999"})
        scores.push_back({"P" + std::to_string(scores.size()), "Jan/01/2024", score});
    const std::string path = playedModule(folder, scores);

    auto module = ModuleStore::open(path);
    ASSERT_TRUE(module);
    auto ranked = module->scoresBestFirst();
    ASSERT_TRUE(ranked);
    std::vector<std::string> tool;
    for (const auto& entry : *ranked) tool.push_back(entry.name);

    // The game's top ten reads the best rows with a statement of its own.
    std::vector<std::string> game;
    for (const auto& stored : vexlor::testing::must(module->bestScores(scores.size())))
        game.push_back(stored.entry.name);
    EXPECT_EQ(tool, game);
    EXPECT_EQ(tool.front(), "P11");  // 99999
    EXPECT_EQ(tool[1], "P0");        // 1e3 counts a thousand
}

}  // namespace
}  // namespace vexlor::authoring
