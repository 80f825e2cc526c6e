// The top ten of a real module file and the entry of a new high score at the end of a game.

#include <gtest/gtest.h>

#include "../support/fakes.h"
#include "../support/module_files.h"
#include "scores/top_ten.h"

namespace vexlor::app {
namespace {

using testing::ModuleContent;
using testing::TempFolder;
using Rows = std::vector<std::vector<std::string>>;

// Rows of a module's high-score table in the order they were written, read without the program.
Rows storedScores(const std::string& path) {
    sqlite3* db = nullptr;
    Rows rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_key(db, "tov3ralu", 8) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT Nom, Date, Score FROM HScore ORDER BY rowid", -1, &statement,
                           nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < 3; ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
            rows.push_back(row);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

// Scores 00010, 00020, ... for players P1, P2, ...
Rows players(int n) {
    Rows rows;
    for (int i = 1; i <= n; ++i) {
        char score[16];
        std::snprintf(score, sizeof score, "%05d", i * 10);
        rows.push_back(
            {"P" + std::to_string(i), "Mar/0" + std::to_string(i % 10) + "/2001", score});
    }
    return rows;
}

class HighScoreTest : public ::testing::Test {
  protected:
    HighScoreTest() {
        f.fileSystem.current = folder.path().string();
        f.form.Form_Load();
        f.form.Form_Paint();
    }
    std::string module(const Rows& scores, const std::string& name = "quiz.vxm") {
        const std::string path = folder.file(name);
        EXPECT_TRUE(testing::writeModule(
            path, {.questions = testing::sampleQuestions(3), .scores = scores}));
        return path;
    }
    void open(const std::string& path) {
        f.fileDialog.answers.push_back(path);
        f.form.Modu_Click();
        ASSERT_TRUE(f.form.Start.Visible);
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> texts;
        for (int k = 1; k <= 10; ++k) texts.push_back(f.form.Pan(k).Caption);
        return texts;
    }
    // The high scores at the end of the game-over delay of a game that scored `score`: the
    // entry, then the top ten shown and redrawn.
    void gameEndsWith(const std::string& score) {
        f.form.Score.Caption = score;
        f.form.TopTen.Visible = false;
        f.form.enterHighScore();
        f.form.TopTen.Visible = true;
        f.form.HighScore();
    }

    TempFolder folder;
    testing::FormFixture f;
};

// Opening a module shows its ten best rows, best first, each as stored; older rows stay unseen.
TEST_F(HighScoreTest, OpeningShowsTheTenBestRowsBestFirst) {
    Rows rows = players(12);
    rows.push_back(
        {"Abcdefghijklmnopqrstu", "Apr/01/2002", "00055"});  // written by another program
    open(module(rows));

    const auto shown = lines();
    EXPECT_EQ(shown[0], " 1.P12                  Mar/02/2001 00120");
    EXPECT_EQ(shown[1], " 2.P11                  Mar/01/2001 00110");
    EXPECT_EQ(shown[7], " 8.Abcdefghijklmnopqrst Apr/01/2002 00055");
    EXPECT_EQ(shown[9], "10.P4                   Mar/04/2001 00040");
    f.form.HighScore();
    EXPECT_EQ(lines(), shown);
}

// A short table shows its rows and then the missing ranks as prefix and blanks; an empty one
// shows only blank ranks, never the rows of the module opened before it.
TEST_F(HighScoreTest, MissingRanksAreBlankAndNeverAnotherModulesRows) {
    open(module(players(12), "full.vxm"));
    ASSERT_EQ(f.form.NomT.Text, "P3");

    open(module(players(3), "short.vxm"));
    EXPECT_EQ(f.form.Pan(3).Caption, " 3.P1                   Mar/01/2001 00010");
    EXPECT_EQ(f.form.Pan(4).Caption, " 4." + std::string(22, ' '));
    EXPECT_EQ(f.form.Pan(10).Caption, "10." + std::string(22, ' '));

    open(module(players(12), "full2.vxm"));
    open(module({}, "empty.vxm"));
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(f.form.Pan(k).Caption, scores::emptyTopTenLine(k)) << k;
    // The test reads the blank tenth line, not the leftovers of the other module.
    f.form.Score.Caption = "00001";
    EXPECT_TRUE(f.form.scoreQualifies());
}

// The tenth line's score is read as the module ranks scores, so the test agrees with the order.
TEST(TopTenScore, ReadsAScoreAsTheRankingDoes) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    for (const char* text : {"00350", "123456", "1e3", "2E+2x", "1e", "1e-", " 12abc", "\t42", "-5",
                             "+7", ".5", "5.", ".", "abc", "", "0x10", "1.5e1", "00001 "}) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT CAST(? AS REAL)", -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, text, -1, SQLITE_STATIC);
        ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
        EXPECT_EQ(scores::scoreValue(text), sqlite3_column_double(statement, 0)) << text;
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    EXPECT_FALSE(scores::qualifies("01000", scores::topTenLine(10, "A", "Jan/07/2000", "1e3")));
    EXPECT_TRUE(scores::qualifies("01001", scores::topTenLine(10, "A", "Jan/07/2000", "1e3")));
}

// A qualifying score opens the entry with today's date and the five-digit score; OK stores one
// row with the typed name, and the redrawn top ten shows it at its rank.
TEST_F(HighScoreTest, AQualifyingScoreIsStoredAndShownAtItsRank) {
    const std::string path = module(players(12));
    open(path);
    f.windows.typedName = "Zo\xC3\xAB";
    gameEndsWith("00095");

    EXPECT_EQ(f.windows.entryShown, 1);
    EXPECT_EQ(f.windows.shownDate, "Jan/07/2000");
    EXPECT_EQ(f.windows.shownScore, "00095");
    Rows expected = players(12);
    expected.push_back({"Zo\xC3\xAB", "Jan/07/2000", "00095"});
    EXPECT_EQ(storedScores(path), expected);
    EXPECT_TRUE(f.messageBox.shown.empty());

    EXPECT_TRUE(f.form.TopTen.Visible);
    EXPECT_EQ(f.form.Pan(3).Caption, " 3.P10                  Mar/00/2001 00100");
    EXPECT_EQ(f.form.Pan(4).Caption, " 4.Zo\xC3\xAB" + std::string(17, ' ') + " Jan/07/2000 00095");
    EXPECT_EQ(f.form.Pan(10).Caption, "10.P4                   Mar/04/2001 00040");
}

// A score equal to the tenth does not open the entry; one point more does; 0 never does.
TEST_F(HighScoreTest, OnlyAScoreAboveTheTenthOpensTheEntry) {
    const std::string path = module(players(12));
    open(path);
    gameEndsWith("00030");
    EXPECT_EQ(f.windows.entryShown, 0);
    EXPECT_EQ(storedScores(path).size(), 12u);
    EXPECT_TRUE(f.form.TopTen.Visible);

    gameEndsWith("00031");
    EXPECT_EQ(f.windows.entryShown, 1);
    EXPECT_EQ(f.form.Pan(10).Caption, "10.Player               Jan/07/2000 00031");

    open(module({}, "empty.vxm"));
    gameEndsWith("00000");
    EXPECT_EQ(f.windows.entryShown, 1);
}

// An entry beating every line goes to the top; equal scores rank the earlier entry higher.
TEST_F(HighScoreTest, ABestScoreTakesTheFirstLineAndTiesKeepTheEarlierAbove) {
    open(module(players(10)));
    f.windows.typedName = "Abcdefghijklmnopqrst";
    gameEndsWith("123456");
    f.windows.typedName = "";
    gameEndsWith("123456");
    EXPECT_EQ(f.form.Pan(1).Caption, " 1.Abcdefghijklmnopqrst Jan/07/2000 123456");
    EXPECT_EQ(f.form.Pan(2).Caption, " 2." + std::string(20, ' ') + " Jan/07/2000 123456");
    EXPECT_EQ(f.form.Pan(3).Caption, " 3.P10                  Mar/00/2001 00100");
    EXPECT_EQ(f.form.Pan(10).Caption, "10.P3                   Mar/03/2001 00030");
}

// While the entry window is open, a second hand-off (a timer ticking on) opens no second one.
TEST_F(HighScoreTest, TheEntryOpensOncePerGameOver) {
    const std::string path = module(players(2));
    open(path);
    int calls = 0;
    f.windows.whileOpen = [&] {
        if (calls++ == 0) f.form.enterHighScore();
    };
    gameEndsWith("00500");
    EXPECT_EQ(f.windows.entryShown, 1);
    EXPECT_EQ(storedScores(path).size(), 3u);
}

// Closing the entry without OK stores nothing and leaves the top ten as it was.
TEST_F(HighScoreTest, ClosingTheEntryWithoutOkStoresNothing) {
    const std::string path = module(players(4));
    open(path);
    const auto before = lines();
    f.windows.typedName = std::nullopt;
    gameEndsWith("00500");
    EXPECT_EQ(f.windows.entryShown, 1);
    EXPECT_EQ(storedScores(path), players(4));
    EXPECT_EQ(lines(), before);
    EXPECT_TRUE(f.messageBox.shown.empty());
}

// A module that refuses the row tells the player once, and the table and the list stay as
// they were; the next entry is stored as usual.
TEST_F(HighScoreTest, ARefusedRowIsReportedOnceAndChangesNothing) {
    const std::string path = module(players(4));
    {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_key(db, "tov3ralu", 8);
        // A table that does not take every name, as another program may have made it.
        for (const char* sql : {"ALTER TABLE HScore RENAME TO Old",
                                "CREATE TABLE HScore (Nom TEXT CHECK (Nom <> 'Refused'), "
                                "Date TEXT, Score TEXT)",
                                "INSERT INTO HScore SELECT * FROM Old", "DROP TABLE Old"})
            ASSERT_TRUE(testing::run(db, sql)) << sql;
        sqlite3_close(db);
    }
    open(path);
    const auto before = lines();
    f.windows.typedName = "Refused";
    gameEndsWith("00500");

    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.messageBox.shown[0].text,
              "quiz.vxm\rYour score could not be saved in this module.");
    EXPECT_EQ(f.messageBox.shown[0].style, 48);
    EXPECT_EQ(f.messageBox.shown[0].title, "High Score");
    EXPECT_EQ(storedScores(path), players(4));
    EXPECT_EQ(lines(), before);

    f.windows.typedName = "Taken";
    gameEndsWith("00500");
    EXPECT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.form.Pan(1).Caption, " 1.Taken                Jan/07/2000 00500");
}

// A module another program holds locked for writing gives the same message and keeps the list.
TEST_F(HighScoreTest, ALockedModuleIsReportedAndKeepsTheList) {
    const std::string path = module(players(4));
    open(path);
    const auto before = lines();
    sqlite3* other = nullptr;
    sqlite3_open(path.c_str(), &other);
    sqlite3_key(other, "tov3ralu", 8);
    ASSERT_TRUE(testing::run(other, "BEGIN IMMEDIATE"));

    gameEndsWith("00500");
    testing::run(other, "ROLLBACK");
    sqlite3_close(other);

    EXPECT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(storedScores(path), players(4));
    EXPECT_EQ(lines(), before);
}

}  // namespace
}  // namespace vexlor::app
