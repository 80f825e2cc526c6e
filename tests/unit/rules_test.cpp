// The rules the game, the editor and the tool share: the score ranking against the engine's
// own ordering, the asked-number text, and what makes a question playable.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "modules/module_sql.h"
#include "rules/questions.h"
#include "rules/ranking.h"

namespace vexlor::rules {
namespace {

// The C++ ranking orders stored scores exactly as the module's statements do: each text has
// the value the engine casts it to, and equal values keep the earlier row above.
TEST(Ranking, OrdersScoresAsTheModuleStatementsDo) {
    const char* const texts[] = {"00350", "123456", "1e3",   "2E+2x",  "1e",    "1e-",   " 12abc",
                                 "\t42",  "-5",     "+7",    ".5",     "5.",    ".",     "abc",
                                 "",      "0x10",   "1.5e1", "00001 ", "00350", "350.0", "1e3"};
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, R"(CREATE TABLE "HScore" ("Nom" TEXT, "Date" TEXT, "Score" TEXT);)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    auto run = [&](const std::string& sql, auto&& bind) {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        bind(statement);
        std::vector<std::int64_t> rows;
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.push_back(sqlite3_column_int64(statement, 3));
        sqlite3_finalize(statement);
        return rows;
    };
    std::vector<ranking::Entry> entries;
    for (const char* text : texts) {
        run("INSERT INTO \"HScore\" VALUES ('n', 'd', ?);",
            [&](sqlite3_stmt* s) { sqlite3_bind_text(s, 1, text, -1, SQLITE_STATIC); });
        entries.push_back({text, sqlite3_last_insert_rowid(db)});
        sqlite3_stmt* cast = nullptr;
        sqlite3_prepare_v2(db, "SELECT CAST(? AS REAL)", -1, &cast, nullptr);
        sqlite3_bind_text(cast, 1, text, -1, SQLITE_STATIC);
        ASSERT_EQ(sqlite3_step(cast), SQLITE_ROW);
        EXPECT_EQ(ranking::scoreValue(text), sqlite3_column_double(cast, 0)) << '"' << text << '"';
        sqlite3_finalize(cast);
    }
    const auto stored = run(modules::sql::withRowId(modules::sql::kBestScores, "rowid"),
                            [](sqlite3_stmt* s) { sqlite3_bind_int(s, 1, 100); });
    std::sort(entries.begin(), entries.end(), ranking::ranksAbove);
    std::vector<std::int64_t> ranked;
    for (const ranking::Entry& entry : entries) ranked.push_back(entry.row);
    EXPECT_EQ(stored, ranked);
    // The best-last order the game walks is the same ranking reversed.
    auto reversed = run(
        modules::sql::withRowId(std::string(R"(SELECT 0, 0, 0, {rowid} FROM "HScore" ORDER BY )") +
                                    std::string(ranking::kBestLastSql) + ";",
                                "rowid"),
        [](sqlite3_stmt*) {});
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(reversed, ranked);
    sqlite3_close(db);
}

// Whatever number the game writes into the asked list the editor reads back as that number;
// a text the game never writes names no question.
TEST(AskedNumber, ReadsBackEveryNumberTheGameWritesAndNothingElse) {
    for (std::int64_t number = 1; number <= kMaxQuestions; ++number)
        ASSERT_EQ(askedNumber(askedText(number)), number) << askedText(number);
    // The lists of modules played before read as they were written.
    EXPECT_EQ(askedText(7), "7");
    EXPECT_EQ(askedText(32767), "32767");
    for (const char* text :
         {"", "0", "007", "+7", "-7", " 7", "7 ", "7.0", "1e3", "x", "99999999999999999999999"})
        EXPECT_EQ(askedNumber(text), 0) << '"' << text << '"';
}

// A question is unplayable when its text or an answer shows nothing, or an answer shows as an
// earlier one; each answer at fault is named once, with the first answer it repeats.
TEST(PlayFaults, NameEveryBlankOrRepeatedFieldInFieldOrder) {
    using F = PlayFault;
    struct Case {
        const char* text;
        std::array<std::string, 4> answers;
        std::vector<std::tuple<F::Kind, std::size_t, std::size_t>> faults;
    };
    const Case cases[] = {
        {"Q", {"a", "b", "c", "d"}, {}},
        {" \t\f\v", {"a", "b", "c", "d"}, {{F::kTextEmpty, 0, 0}}},
        {"Q", {"\r\n", "b", "", "d"}, {{F::kAnswerEmpty, 0, 0}, {F::kAnswerEmpty, 2, 0}}},
        {"Q", {" a ", "a", "a\v", "b"}, {{F::kSameAnswer, 1, 0}, {F::kSameAnswer, 2, 0}}},
        {"Q", {"a", "b", "B", "b "}, {{F::kSameAnswer, 3, 1}}},
    };
    for (const Case& c : cases) {
        std::vector<std::tuple<F::Kind, std::size_t, std::size_t>> found;
        for (const PlayFault& fault : playFaults(c.text, c.answers))
            found.emplace_back(fault.kind, fault.answer, fault.earlier);
        EXPECT_EQ(found, c.faults) << c.text << '|' << c.answers[0] << '|' << c.answers[1];
    }
}

}  // namespace
}  // namespace vexlor::rules
