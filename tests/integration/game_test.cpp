// Whole games on real module files in virtual time: the draw and the list of asked questions,
// judging, lifelines, modules that cannot be played.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "app/text_values.h"
#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor::app {
namespace {

using testing::FormFixture;

class GameTest : public ::testing::Test {
  protected:
    std::string module(int questions, std::vector<std::string> used = {},
                       const std::string& name = "quiz.vxm") {
        const std::string path = folder.file(name);
        EXPECT_TRUE(testing::writeModule(
            path, {.questions = testing::sampleQuestions(questions), .used = std::move(used)}));
        return path;
    }
    void open(FormFixture& g, const std::string& path) {
        g.fileSystem.current = folder.path().string();
        g.form.Form_Load();
        g.open(path);
        ASSERT_TRUE(g.form.Start.Visible) << g.lastMessage();
    }
    // Answers the question on show (after its wait) and lets it be judged.
    void answer(FormFixture& g, bool right) {
        g.timers.advance(3000);
        g.click(g.answer(right));
        g.timers.advance(2000);
    }
    std::vector<std::string> asked(const std::string& path) {
        return testing::readColumn(path, "SELECT Use FROM Use ORDER BY rowid");
    }
    // The number of the question on show, from its text "Question n".
    std::string shownNumber(FormFixture& g) { return g.form.PanelQuestion.Caption.substr(9); }

    testing::TempFolder folder;
    FormFixture f;
};

// A game from Start: the wait, the reveal, a right answer judged two seconds after the click,
// the next question, a wrong answer, and the idle window two seconds later.
TEST_F(GameTest, AWholeGameWithARightAndThenAWrongAnswer) {
    const std::string path = module(3);
    open(f, path);
    f.form.Score.Caption = "00120";
    f.form.FiftyPanel.Caption = "0";
    f.form.Start_Click();
    EXPECT_EQ(f.form.Score.Caption + f.form.FiftyPanel.Caption + f.form.PausePanel.Caption,
              "0000033");
    for (const Element* e : std::initializer_list<const Element*>{
             &f.form.Start, &f.form.Modu, &f.form.About, &f.form.Sortie, &f.form.TopTen})
        EXPECT_FALSE(e->Visible) << e->name;
    EXPECT_EQ(asked(path), std::vector<std::string>{shownNumber(f)});
    f.timers.advance(2999);
    EXPECT_FALSE(f.form.PanelQuestion.Visible);
    f.timers.advance(1);
    EXPECT_TRUE(f.form.PanelRepD.Visible && f.form.Fifty.Visible && f.form.Pause.Visible);

    const std::string points = f.form.Points.Caption;
    Label& first = f.answer();
    f.click(first);
    EXPECT_EQ(first.BackColor, colours::kClicked);
    EXPECT_FALSE(f.form.Fifty.Visible || f.form.TimerTrente.Enabled());
    f.timers.advance(1999);
    EXPECT_EQ(first.BackColor, colours::kClicked);
    f.timers.advance(1);
    EXPECT_EQ(first.BackColor, colours::kRight);
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");
    EXPECT_EQ(f.form.Score.Caption, formatScore(numericValue(points)));
    EXPECT_TRUE(f.form.NextQ.Visible && f.form.About.Visible && f.form.Sortie.Visible);
    f.timers.advance(60000);
    EXPECT_EQ(f.form.Panel.Caption, "Correct Answer");

    f.form.NextQ_Click();
    EXPECT_EQ(asked(path).size(), 2u);
    f.timers.advance(3000);
    Label &wrong = f.answer(false), &right = f.answer();
    f.click(wrong);
    f.timers.advance(2000);
    EXPECT_EQ(wrong.BackColor, colours::kWrong);
    EXPECT_EQ(right.BackColor, colours::kRight);
    EXPECT_EQ(f.form.Panel.Caption, "Wrong Answer   Game Over!");
    EXPECT_EQ(f.form.Score.Caption, formatScore(numericValue(points)));
    f.timers.advance(2000);
    EXPECT_EQ(f.form.Panel.Caption, "Press Start to begin the Game");
    for (const Element* e : std::initializer_list<const Element*>{
             &f.form.Start, &f.form.Modu, &f.form.About, &f.form.Sortie, &f.form.TopTen})
        EXPECT_TRUE(e->Visible) << e->name;
    EXPECT_FALSE(f.form.PanelRepA.Visible || f.form.PanelQuestion.Visible);
    for (platform::Timer* timer : f.form.timers()) EXPECT_FALSE(timer->Enabled()) << timer->name();
}

// A click is accepted only while a question waits for its answer: while it is judged, after a
// right answer, during the game-over delay and when idle it only stops the sound.
TEST_F(GameTest, ClicksAreRefusedInEveryPhaseButAnswering) {
    open(f, module(6));
    auto refused = [&](const char* phase) {
        std::vector<std::uint32_t> before;
        for (Label* panel : f.panels()) before.push_back(panel->BackColor.value());
        const bool judging = f.form.TimerReponce.Enabled();
        for (Label* panel : f.panels()) {
            const bool wasVisible = std::exchange(panel->Visible, true);  // even a panel on show
            f.form.Replay.Visible = true;
            f.soundPlayer.calls.clear();
            f.click(*panel);
            panel->Visible = wasVisible;
            EXPECT_EQ(f.soundPlayer.calls, std::vector<std::string>{"stop"}) << phase;
            EXPECT_FALSE(f.form.Replay.Visible) << phase;
        }
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(f.panels()[i]->BackColor.value(), before[i]) << phase;
        EXPECT_EQ(f.form.TimerReponce.Enabled(), judging) << phase;
    };
    refused("idle");
    f.form.Start_Click();
    for (Label* panel : f.panels()) f.click(*panel);  // hidden while prepared: no answer to give
    EXPECT_FALSE(f.form.TimerReponce.Enabled());
    f.timers.advance(3000);
    f.click(f.answer());
    refused("judging");
    f.timers.advance(2000);
    refused("right answer shown");
    f.form.NextQ_Click();
    answer(f, false);
    refused("game-over delay");
}

// Each lifeline works three times a game, once a question; the next game has three again.
TEST_F(GameTest, ThreeUsesOfEachLifelinePerGame) {
    open(f, module(8));
    f.form.Start_Click();
    for (int question = 1; question <= 4; ++question) {
        f.timers.advance(3000);
        EXPECT_EQ(f.form.Fifty.Visible && f.form.Pause.Visible, question <= 3) << question;
        f.form.Pause_Click();
        f.form.Fifty_Click();
        EXPECT_FALSE(f.form.Fifty.Visible || f.form.Pause.Visible);
        f.timers.advance(2000);
        answer(f, true);
        f.form.NextQ_Click();
    }
    EXPECT_EQ(f.form.FiftyPanel.Caption + f.form.PausePanel.Caption, "00");
    answer(f, false);
    f.timers.advance(2000);
    f.form.Start_Click();
    f.timers.advance(3000);
    EXPECT_TRUE(f.form.Fifty.Visible && f.form.Pause.Visible);
}

// On a one-question module the draw always finds 1 asked: attempt 1500 empties the list (every
// record of a long one, in the file and in the source), and 1 is asked again as the first entry
// of the new list; a failed lookup (no list at all) ends the
// draw at once with the number drawn, and the game goes on; the question shown is the one drawn.
TEST_F(GameTest, TheDrawEmptiesAFullListOnAttempt1500AndSurvivesAMissingList) {
    std::vector<std::string> used;
    for (int i = 1; i <= 300; ++i) used.push_back(std::to_string(i));
    const std::string path = module(1, used);
    open(f, path);
    f.random.script.assign(1500, 0.5f);
    for (float r : {0.0f, 0.3f, 0.55f, 0.8f}) f.random.script.push_back(r);  // A..D in order
    f.random.draws = 0;
    f.form.Start_Click();
    EXPECT_EQ(f.random.draws, 1504);
    EXPECT_EQ(asked(path), std::vector<std::string>{"1"});
    EXPECT_EQ(f.form.Data2.RecordCount(), 1);
    EXPECT_EQ(f.form.PanelRepA.Caption + "|" + f.form.PanelRepD.Caption, "Right 1|Wrong 1c");

    const std::string noList = module(1, {}, "nolist.vxm");
    ASSERT_TRUE(testing::alterModule(noList, {"DROP TABLE Use"}));
    FormFixture g;
    open(g, noList);
    g.random.draws = 0;
    g.random.script = {0.5f, 0.0f, 0.3f, 0.55f, 0.8f};
    g.form.Start_Click();
    EXPECT_EQ(g.random.draws, 5);
    EXPECT_TRUE(g.messageBox.shown.empty());
    g.timers.advance(3000);
    EXPECT_EQ(g.form.PanelQuestion.Caption, "Question 1");
    EXPECT_EQ(g.answer().Caption, "Right 1");

    // The question shown is the one drawn, whichever it is.
    const std::string three = module(3, {}, "three.vxm");
    const std::pair<float, const char*> draws[] = {{0.1f, "1"}, {0.5f, "2"}, {0.9f, "3"}};
    for (const auto& [draw, shown] : draws) {
        FormFixture h;
        open(h, three);
        h.random.script = {draw};
        h.form.Start_Click();
        EXPECT_EQ(shownNumber(h), shown);
    }
}

// Each question adds its number to the module's list, never one already there; the list
// outlives the program, and when every question has been asked it starts again with one.
TEST_F(GameTest, TheAskedListGrowsByOnePerQuestionAndSurvivesReopening) {
    const std::string path = module(5);
    open(f, path);
    f.form.Start_Click();
    for (int question = 1; question <= 3; ++question) {
        const auto list = asked(path);
        ASSERT_EQ(list.size(), static_cast<std::size_t>(question));
        EXPECT_EQ(list.back(), shownNumber(f));
        answer(f, true);
        if (question < 3) f.form.NextQ_Click();
    }
    FormFixture later;  // the program run again
    later.random.fallback = platform::MixingRandom(7);
    open(later, path);
    later.form.Start_Click();
    answer(later, true);
    later.form.NextQ_Click();
    const auto list = asked(path);
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()),
              (std::set<std::string>{"1", "2", "3", "4", "5"}));
    answer(later, true);
    later.form.NextQ_Click();  // every question asked: the list starts again
    EXPECT_EQ(asked(path), std::vector<std::string>{shownNumber(later)});
}

// A module that cannot be played (no questions, too many, fields missing) is refused at Start
// with one message; the window stays idle with the module open.
TEST_F(GameTest, AModuleThatCannotBePlayedIsRefusedAtStart) {
    const std::string fields = module(0, {}, "fields.vxm"), large = module(1, {}, "large.vxm");
    ASSERT_TRUE(testing::alterModule(
        fields, {"DROP TABLE MainData",
                 "CREATE TABLE MainData (Question TEXT, reponce TEXT, False1 TEXT, Points TEXT)",
                 "INSERT INTO MainData VALUES ('Q', 'R', 'F', '1')"}));
    ASSERT_TRUE(testing::alterModule(
        large, {"WITH RECURSIVE n(x) AS (SELECT 2 UNION ALL SELECT x + 1 FROM n WHERE x < 32768) "
                "INSERT INTO MainData SELECT 'Q' || x, 'R', 'F1', 'F2', 'F3', '1', '' FROM n"}));
    const std::string none = folder.file("none.vxm");
    ASSERT_TRUE(testing::writeModule(none, {.withMainData = false}));
    const std::pair<std::string, std::string> cases[] = {
        {module(0, {}, "empty.vxm"), "empty.vxm\rThis module holds no questions"},
        {none, "none.vxm\rThis module holds no questions"},
        {fields, "fields.vxm\rThe questions of this module lack the fields False2, False3"},
        {large, "large.vxm\rThis module holds more than 32767 questions"}};
    for (const auto& [path, message] : cases) {
        FormFixture g;
        open(g, path);
        g.form.Start_Click();
        ASSERT_EQ(g.messageBox.shown.size(), 1u) << path;
        EXPECT_EQ(g.lastMessage(), message);
        EXPECT_EQ(g.messageBox.shown[0].title, "Open Vexlor Module");
        EXPECT_TRUE(g.form.Start.Visible && g.form.Modu.Visible && g.form.TopTen.Visible);
        for (platform::Timer* timer : g.form.timers()) EXPECT_FALSE(timer->Enabled());
    }
}

}  // namespace
}  // namespace vexlor::app
