// The top ten of a real module file and the entry of a new high score at the end of a game.

#include <gtest/gtest.h>

#include "scores/top_ten.h"
#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor::app {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// Players P1, P2, ... with scores 00010, 00020, ...
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
    std::string open(const Rows& scores, const std::string& name = "quiz.vxm") {
        const std::string path = folder.file(name);
        EXPECT_TRUE(testing::writeModule(
            path, {.questions = testing::sampleQuestions(3), .scores = scores}));
        f.open(path);
        EXPECT_TRUE(f.form.Start.Visible) << f.lastMessage();
        return path;
    }
    // The module's score rows in the order written, as "name|date|score".
    std::vector<std::string> stored(const std::string& path) {
        return testing::readColumn(
            path, "SELECT Nom || '|' || Date || '|' || Score FROM HScore ORDER BY rowid");
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> texts;
        for (int k = 1; k <= 10; ++k) texts.push_back(f.form.Pan(k).Caption);
        return texts;
    }
    // The end of the game-over delay of a game that scored `score`.
    void gameEndsWith(const std::string& score) {
        f.form.quiz.score = std::stoll(score);
        f.form.TimerGOver.setEnabled(true);
        f.timers.advance(2000);
    }

    testing::TempFolder folder;
    testing::FormFixture f;
};

// Opening shows the ten best rows best first, each as stored (a long name cut to 20); a short
// table shows blank ranks after its rows; an empty one only blank ranks, never the rows of the
// module opened before, and then any positive score qualifies.
TEST_F(HighScoreTest, OpeningShowsTheTenBestRowsAndBlankRanks) {
    Rows rows = players(12);
    rows.push_back({"Abcdefghijklmnopqrstu", "Apr/01/2002", "00055"});
    open(rows);
    const auto shown = lines();
    EXPECT_EQ(shown[0], " 1.P12                  Mar/02/2001 00120");
    EXPECT_EQ(shown[7], " 8.Abcdefghijklmnopqrst Apr/01/2002 00055");
    EXPECT_EQ(shown[9], "10.P4                   Mar/04/2001 00040");

    open(players(3), "short.vxm");
    EXPECT_EQ(f.form.Pan(3).Caption, " 3.P1                   Mar/01/2001 00010");
    EXPECT_EQ(f.form.Pan(4).Caption, scores::emptyTopTenLine(4));
    open(players(12), "full.vxm");
    open({}, "empty.vxm");
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(f.form.Pan(k).Caption, scores::emptyTopTenLine(k)) << k;
    f.form.quiz.score = 1;
    EXPECT_TRUE(f.form.scoreQualifies());
}

// A qualifying score opens the entry once with today's date and the five-digit score; OK
// stores one row with the typed name, shown at its rank; a score equal to the tenth opens none.
// An entry beating every line goes to the top; of equal scores the earlier entry ranks higher.
TEST_F(HighScoreTest, AQualifyingScoreIsStoredOnceAndShownAtItsRank) {
    const std::string path = open(players(12));
    gameEndsWith("00030");
    EXPECT_EQ(f.windows.entryShown, 0);
    f.windows.typedName = "Zo\xC3\xAB";
    int nested = 0;
    f.windows.whileOpen = [&] {
        if (nested++ == 0) f.form.enterHighScore();  // a timer ticking on behind the window
    };
    gameEndsWith("00095");
    EXPECT_EQ(f.windows.entryShown, 1);
    EXPECT_EQ(f.windows.shownDate + " " + f.windows.shownScore, "Jan/07/2000 00095");
    EXPECT_EQ(stored(path).size(), 13u);
    EXPECT_EQ(stored(path).back(), "Zo\xC3\xAB|Jan/07/2000|00095");
    EXPECT_TRUE(f.messageBox.shown.empty());
    EXPECT_EQ(f.form.Pan(4).Caption, " 4.Zo\xC3\xAB" + std::string(17, ' ') + " Jan/07/2000 00095");
    EXPECT_EQ(f.form.Pan(10).Caption, "10.P4                   Mar/04/2001 00040");
    f.windows.typedName = "First";
    gameEndsWith("123456");
    f.windows.typedName = "";
    gameEndsWith("123456");
    EXPECT_EQ(f.form.Pan(1).Caption, " 1.First                Jan/07/2000 123456");
    EXPECT_EQ(f.form.Pan(2).Caption, " 2." + std::string(20, ' ') + " Jan/07/2000 123456");
    EXPECT_EQ(f.form.Pan(10).Caption, "10.P6                   Mar/06/2001 00060");
}

// Closing the entry without OK, a module another program holds locked and a row the module
// refuses all leave the table and the list as they were; the last two tell the player once each.
// The next entry is stored as one new row.
TEST_F(HighScoreTest, AnEntryNotStoredChangesNothing) {
    const std::string path = folder.file("quiz.vxm");
    ASSERT_TRUE(testing::writeModule(
        path, {.questions = testing::sampleQuestions(3), .scores = players(4)}));
    // A table that does not take every name, as another program may have made it.
    ASSERT_TRUE(testing::alterModule(
        path, {"ALTER TABLE HScore RENAME TO Old",
               "CREATE TABLE HScore (Nom TEXT CHECK (Nom <> 'Refused'), Date TEXT, Score TEXT)",
               "INSERT INTO HScore SELECT * FROM Old", "DROP TABLE Old"}));
    f.open(path);
    const auto before = lines();
    const auto rows = stored(path);
    f.windows.typedName = std::nullopt;
    gameEndsWith("00500");
    EXPECT_EQ(f.windows.entryShown, 1);
    EXPECT_TRUE(f.messageBox.shown.empty());

    {
        const testing::Connection other = testing::connect(path);
        ASSERT_TRUE(testing::run(other.get(), "BEGIN IMMEDIATE"));
        f.windows.typedName = "Locked";
        gameEndsWith("00500");
    }
    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.lastMessage(), "quiz.vxm\rYour score could not be saved in this module.");
    EXPECT_EQ(f.messageBox.shown[0].title, "High Score");

    f.windows.typedName = "Refused";
    gameEndsWith("00500");
    EXPECT_EQ(f.messageBox.shown.size(), 2u);
    EXPECT_EQ(stored(path), rows);
    EXPECT_EQ(lines(), before);
    f.windows.typedName = "Taken";
    gameEndsWith("00500");
    EXPECT_EQ(f.messageBox.shown.size(), 2u);
    EXPECT_EQ(f.form.Pan(1).Caption, " 1.Taken                Jan/07/2000 00500");
    // A failed store is dropped, never written over another row later.
    auto taken = rows;
    taken.push_back("Taken|Jan/07/2000|00500");
    EXPECT_EQ(stored(path), taken);
}

}  // namespace
}  // namespace vexlor::app
