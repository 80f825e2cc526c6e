// Whole games on real module files in virtual time: the draw and the list of asked questions,
// judging, lifelines, modules that cannot be played.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <set>

#include "../support/fakes.h"
#include "../support/module_files.h"
#include "app/text_values.h"

namespace vexlor::app {
namespace {

using testing::ModuleContent;

using testing::readColumn;

class GameTest : public ::testing::Test {
  protected:
    GameTest() { f.fileSystem.current = folder.path().string(); }

    std::string module(ModuleContent content, const std::string& name = "quiz.vxm") {
        const std::string path = folder.file(name);
        EXPECT_TRUE(testing::writeModule(path, content));
        return path;
    }
    void open(testing::FormFixture& form, const std::string& path) {
        form.form.Form_Load();
        form.fileDialog.answers.push_back(path);
        form.form.Modu_Click();
        ASSERT_TRUE(form.form.Start.Visible);
    }
    std::array<Label*, 4> panels(testing::FormFixture& g) {
        return {&g.form.PanelRepA, &g.form.PanelRepB, &g.form.PanelRepC, &g.form.PanelRepD};
    }
    Label& right(testing::FormFixture& g) {
        for (Label* panel : panels(g))
            if (panel->DataField == "Reponce") return *panel;
        throw std::logic_error("no right answer dealt");
    }
    Label& wrong(testing::FormFixture& g) {
        for (Label* panel : panels(g))
            if (panel->DataField != "Reponce" && panel->Visible) return *panel;
        throw std::logic_error("no wrong answer shown");
    }
    void click(testing::FormFixture& g, const Label& panel) {
        if (&panel == &g.form.PanelRepA) g.form.PanelRepA_Click();
        if (&panel == &g.form.PanelRepB) g.form.PanelRepB_Click();
        if (&panel == &g.form.PanelRepC) g.form.PanelRepC_Click();
        if (&panel == &g.form.PanelRepD) g.form.PanelRepD_Click();
    }
    std::vector<std::string> asked(const std::string& path) {
        return readColumn(path, "SELECT Use FROM Use ORDER BY rowid");
    }
    // The number of the question on show, from its text "Question n".
    std::string shownNumber(testing::FormFixture& g) {
        return g.form.PanelQuestion.Caption.substr(std::string("Question ").size());
    }

    testing::TempFolder folder;
    testing::FormFixture f;
};

// A game from Start: the wait, the reveal, a right answer judged two seconds after the click,
// the next question, a wrong answer, and the idle window two seconds later.
TEST_F(GameTest, AWholeGameWithARightAndThenAWrongAnswer) {
    const std::string path = module({.questions = testing::sampleQuestions(3)});
    open(f, path);
    f.form.Score.Caption = "00120";
    f.form.FiftyPanel.Caption = "0";

    f.form.Start_Click();
    EXPECT_EQ(f.form.Score.Caption, "00000");
    EXPECT_EQ(f.form.FiftyPanel.Caption, "3");
    EXPECT_EQ(f.form.PausePanel.Caption, "3");
    EXPECT_FALSE(f.form.TopTen.Visible);
    for (const Element* e : std::initializer_list<const Element*>{
             &f.form.Start, &f.form.Modu, &f.form.About, &f.form.Sortie, &f.form.PanelQuestion})
        EXPECT_FALSE(e->Visible) << e->name;
    EXPECT_TRUE(f.form.TimerStart.Enabled());
    EXPECT_EQ(asked(path), std::vector<std::string>{shownNumber(f)});
    EXPECT_EQ(f.form.Points.Caption, std::to_string(std::stoi(shownNumber(f)) * 5));

    f.timers.advance(2999);
    EXPECT_FALSE(f.form.PanelQuestion.Visible);
    EXPECT_EQ(f.form.Panel.Caption, std::string(11, 'l') + " Wait! " + std::string(11, 'l'));
    f.timers.advance(1);
    for (Label* panel : panels(f)) EXPECT_TRUE(panel->Visible);
    EXPECT_TRUE(f.form.Fifty.Visible);
    EXPECT_TRUE(f.form.Pause.Visible);
    EXPECT_EQ(f.form.Horloge.Caption, "0.30");
    f.timers.advance(1000);
    const std::string points = f.form.Points.Caption;
    EXPECT_EQ(f.form.Panel.Caption, points + " Points Question");

    Label& first = right(f);
    click(f, first);
    EXPECT_EQ(first.BackColor, colours::kClicked);
    EXPECT_FALSE(f.form.Fifty.Visible);
    EXPECT_FALSE(f.form.TimerTrente.Enabled());
    f.timers.advance(1999);
    EXPECT_EQ(first.BackColor, colours::kClicked);
    EXPECT_EQ(f.form.Horloge.Caption, "0.29");
    f.timers.advance(1);
    EXPECT_EQ(first.BackColor, colours::kRight);
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");
    EXPECT_EQ(f.form.Score.Caption, formatScore(numericValue(points)));
    EXPECT_TRUE(f.form.Score.Visible);
    EXPECT_FALSE(f.form.Horloge.Visible);
    EXPECT_EQ(f.form.Horloge.Caption, "0.00");
    EXPECT_TRUE(f.form.NextQ.Visible && f.form.About.Visible && f.form.Sortie.Visible);
    f.timers.advance(60000);
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");

    f.form.NextQ_Click();
    EXPECT_FALSE(f.form.NextQ.Visible);
    EXPECT_EQ(asked(path).size(), 2u);
    f.timers.advance(3000);
    for (Label* panel : panels(f)) EXPECT_EQ(panel->BackColor, colours::kNeutral);
    Label& wrongOne = wrong(f);
    Label& rightOne = right(f);
    click(f, wrongOne);
    f.timers.advance(2000);
    EXPECT_EQ(wrongOne.BackColor, colours::kWrong);
    EXPECT_EQ(rightOne.BackColor, colours::kRight);
    int neutral = 0;
    for (Label* panel : panels(f)) neutral += panel->BackColor == colours::kNeutral;
    EXPECT_EQ(neutral, 2);
    EXPECT_EQ(f.form.Panel.Caption, "Wrong Answer   Game Over!");
    EXPECT_EQ(f.form.Score.Caption, formatScore(numericValue(points)));
    EXPECT_TRUE(f.form.TimerGOver.Enabled());
    EXPECT_FALSE(f.form.Start.Visible);

    f.timers.advance(2000);
    EXPECT_EQ(f.form.Panel.Caption, "Press Start to begin the Game");
    for (const Element* e :
         std::initializer_list<const Element*>{&f.form.Start, &f.form.Modu, &f.form.About,
                                               &f.form.Sortie, &f.form.TopTen, &f.form.Score})
        EXPECT_TRUE(e->Visible) << e->name;
    for (Label* panel : panels(f)) EXPECT_FALSE(panel->Visible);
    EXPECT_FALSE(f.form.PanelQuestion.Visible);
    for (platform::Timer* timer : f.form.timers()) EXPECT_FALSE(timer->Enabled()) << timer->name();
    EXPECT_EQ(std::count(f.soundPlayer.calls.begin(), f.soundPlayer.calls.end(), "stop"), 2);
}

// A click is accepted only while a question waits for its answer: while it is being judged,
// after a right answer, during the game-over delay and when idle a click only stops the sound
// and hides Replay.
TEST_F(GameTest, ClicksAreRefusedInEveryPhaseButAnswering) {
    open(f, module({.questions = testing::sampleQuestions(6)}));
    auto colours = [&] {
        std::vector<std::uint32_t> values;
        for (Label* panel : panels(f)) values.push_back(panel->BackColor.value());
        return values;
    };
    auto refused = [&](const char* phase) {
        const auto before = colours();
        const auto choice = f.form.Choice;
        const bool judging = f.form.TimerReponce.Enabled();
        for (Label* panel : panels(f)) {
            const bool wasVisible = panel->Visible;
            panel->Visible = true;  // even a panel on show
            f.form.Replay.Visible = true;
            f.soundPlayer.calls.clear();
            click(f, *panel);
            panel->Visible = wasVisible;
            EXPECT_EQ(f.soundPlayer.calls, std::vector<std::string>{"stop"}) << phase;
            EXPECT_FALSE(f.form.Replay.Visible) << phase;
        }
        EXPECT_EQ(colours(), before) << phase;
        EXPECT_EQ(f.form.Choice, choice) << phase;
        EXPECT_EQ(f.form.TimerReponce.Enabled(), judging) << phase;
        EXPECT_FALSE(f.form.TimerTrente.Enabled()) << phase;
    };

    refused("idle");
    f.form.Start_Click();
    for (Label* panel : panels(f)) click(f, *panel);  // hidden while prepared: no answer to give
    EXPECT_FALSE(f.form.TimerReponce.Enabled());
    f.timers.advance(3000);
    click(f, right(f));
    refused("judging");
    f.timers.advance(2000);
    refused("right answer shown");
    f.form.NextQ_Click();
    f.timers.advance(3000);
    click(f, wrong(f));
    f.timers.advance(2000);
    refused("game-over delay");
}

// Each lifeline works three times a game, once a question; the next game has three again.
TEST_F(GameTest, ThreeUsesOfEachLifelinePerGame) {
    open(f, module({.questions = testing::sampleQuestions(8)}));
    f.form.Start_Click();
    for (int question = 1; question <= 4; ++question) {
        f.timers.advance(3000);
        const bool left = question <= 3;
        EXPECT_EQ(f.form.Fifty.Visible, left) << question;
        EXPECT_EQ(f.form.Pause.Visible, left) << question;
        f.form.Pause_Click();
        f.form.Fifty_Click();
        EXPECT_FALSE(f.form.Fifty.Visible);
        EXPECT_FALSE(f.form.Pause.Visible);
        f.timers.advance(2000);
        click(f, right(f));
        f.timers.advance(2000);
        f.form.NextQ_Click();
    }
    EXPECT_EQ(f.form.FiftyPanel.Caption, "0");
    EXPECT_EQ(f.form.PausePanel.Caption, "0");
    f.timers.advance(3000);
    click(f, wrong(f));
    f.timers.advance(4000);
    f.form.Start_Click();
    f.timers.advance(3000);
    EXPECT_TRUE(f.form.Fifty.Visible);
    EXPECT_TRUE(f.form.Pause.Visible);
    EXPECT_EQ(f.form.FiftyPanel.Caption, "3");
}

// On a one-question module the draw always finds 1 asked: attempt 1500 empties the list, and 1
// is asked again as the first entry of the new list.
TEST_F(GameTest, TheDrawOnAOneQuestionModuleEmptiesTheListOnAttempt1500) {
    const std::string path = module({.questions = testing::sampleQuestions(1), .used = {"1"}});
    open(f, path);
    // 1500 draws of the question, then the deal: A Reponce, B False1, C False2, D False3.
    f.random.script.assign(1500, 0.5f);
    for (float r : {0.0f, 0.3f, 0.55f, 0.8f}) f.random.script.push_back(r);
    f.random.draws = 0;
    f.form.Start_Click();
    EXPECT_EQ(f.random.draws, 1504);
    EXPECT_EQ(asked(path), std::vector<std::string>{"1"});
    EXPECT_EQ(f.form.QuestionNumber, 1);
    EXPECT_EQ(f.form.PanelRepA.Caption, "Right 1");
    EXPECT_EQ(f.form.PanelRepD.Caption, "Wrong 1c");
}

// A failed lookup in the list of asked questions (here: the module has no such table) ends the
// draw at once with the number drawn, and the game goes on with that question.
TEST_F(GameTest, ADatabaseFailureInTheDrawDoesNotStopTheGame) {
    const std::string path = module({.questions = testing::sampleQuestions(1)});
    {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_key(db, "tov3ralu", 8);
        ASSERT_TRUE(testing::run(db, "DROP TABLE Use"));
        sqlite3_close(db);
    }
    open(f, path);
    f.random.draws = 0;
    f.random.script = {0.5f, 0.0f, 0.3f, 0.55f, 0.8f};
    f.form.Start_Click();
    EXPECT_EQ(f.random.draws, 5);
    EXPECT_TRUE(f.messageBox.shown.empty());
    EXPECT_EQ(f.form.Use.Text, "") << "no record to write the number into";
    f.timers.advance(3000);
    EXPECT_TRUE(f.form.PanelQuestion.Visible);
    EXPECT_EQ(f.form.PanelQuestion.Caption, "Question 1");
    EXPECT_EQ(right(f).Caption, "Right 1");
}

// Each question adds its number to the module's list, never one already there; the list
// outlives the program, and when every question has been asked it starts again with one.
TEST_F(GameTest, TheAskedListGrowsByOnePerQuestionAndSurvivesReopening) {
    const std::string path = module({.questions = testing::sampleQuestions(5)});
    open(f, path);
    f.form.Start_Click();
    for (int question = 1; question <= 3; ++question) {
        const auto list = asked(path);
        ASSERT_EQ(list.size(), static_cast<std::size_t>(question));
        EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size());
        EXPECT_EQ(list.back(), shownNumber(f));
        f.timers.advance(3000);
        click(f, right(f));
        f.timers.advance(2000);
        if (question < 3) f.form.NextQ_Click();
    }

    testing::FormFixture later;  // the program run again
    later.fileSystem.current = folder.path().string();
    later.random.fallback = platform::MixingRandom(7);
    open(later, path);
    later.form.Start_Click();
    auto list = asked(path);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), 4u);
    later.timers.advance(3000);
    click(later, right(later));
    later.timers.advance(2000);
    later.form.NextQ_Click();
    list = asked(path);
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()),
              (std::set<std::string>{"1", "2", "3", "4", "5"}));
    later.timers.advance(3000);
    click(later, right(later));
    later.timers.advance(2000);
    later.form.NextQ_Click();  // every question asked: the list starts again
    EXPECT_EQ(asked(path), std::vector<std::string>{shownNumber(later)});
}

// Emptying the list deletes every record in one go; the data source then has none either.
TEST_F(GameTest, EffaceEmptiesTheList) {
    std::vector<std::string> used;
    for (int i = 1; i <= 300; ++i) used.push_back(std::to_string(i));
    const std::string path = module({.questions = testing::sampleQuestions(1), .used = used});
    open(f, path);
    f.form.Efface();
    EXPECT_TRUE(asked(path).empty());
    EXPECT_EQ(f.form.Data2.RecordCount(), 0);
    f.form.Efface();  // on an empty list: nothing to do
    EXPECT_EQ(f.form.Data2.RecordCount(), 0);
}

// A module that cannot be played is refused at Start with one message; the window stays idle
// with the module open.
TEST_F(GameTest, AModuleThatCannotBePlayedIsRefusedAtStart) {
    auto noField = [&](const std::string& name) {
        const std::string path = module({.questions = {}, .withMainData = false}, name);
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_key(db, "tov3ralu", 8);
        EXPECT_TRUE(testing::run(
            db, "CREATE TABLE MainData (Question TEXT, reponce TEXT, False1 TEXT, Points TEXT)"));
        EXPECT_TRUE(testing::run(db, "INSERT INTO MainData VALUES ('Q', 'R', 'F', '1')"));
        sqlite3_close(db);
        return path;
    };
    auto tooMany = [&](const std::string& name) {
        const std::string path = module({.questions = testing::sampleQuestions(1)}, name);
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_key(db, "tov3ralu", 8);
        EXPECT_TRUE(testing::run(
            db,
            "WITH RECURSIVE n(x) AS (SELECT 2 UNION ALL SELECT x + 1 FROM n WHERE x < 32768) "
            "INSERT INTO MainData SELECT 'Q' || x, 'R', 'F1', 'F2', 'F3', '1', '' FROM n"));
        sqlite3_close(db);
        return path;
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {module({.questions = {}}, "empty.vxm"), "empty.vxm\rThis module holds no questions"},
        {module({.questions = {}, .withMainData = false}, "none.vxm"),
         "none.vxm\rThis module holds no questions"},
        {noField("fields.vxm"),
         "fields.vxm\rThe questions of this module lack the fields False2, "
         "False3"},
        {tooMany("large.vxm"), "large.vxm\rThis module holds more than 32767 questions"}};
    for (const auto& [path, message] : cases) {
        testing::FormFixture g;
        open(g, path);
        g.form.Start_Click();
        ASSERT_EQ(g.messageBox.shown.size(), 1u) << path;
        EXPECT_EQ(g.messageBox.shown[0].text, message);
        EXPECT_EQ(g.messageBox.shown[0].style, 48);
        EXPECT_EQ(g.messageBox.shown[0].title, "Open Vexlor Module");
        EXPECT_TRUE(g.form.Start.Visible);
        EXPECT_TRUE(g.form.Modu.Visible);
        EXPECT_TRUE(g.form.TopTen.Visible);
        EXPECT_EQ(g.form.Panel.Caption, "Press Start to begin the Game");
        for (platform::Timer* timer : g.form.timers()) EXPECT_FALSE(timer->Enabled());
        EXPECT_TRUE(g.form.Data1.isOpen() || !g.form.Data3.DatabaseName.empty());
    }
    // One question more than the limit is refused; exactly the limit plays (in the benchmark).
}

}  // namespace
}  // namespace vexlor::app
