// The preview is the game's own window dealing the question: four answers on the panels, the
// question beside its picture, Replay for a sound, and the judged look's colours.

#include <gtest/gtest.h>

#include <QLabel>
#include <QSet>
#include <filesystem>

#include "app/master_form.h"
#include "editor/preview.h"
#include "support/fakes.h"
#include "ui/main_window.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

namespace fs = std::filesystem;

class PreviewTest : public ::testing::Test, private ui::WithApplication {
  protected:
    PreviewTest() {
        fs::create_directories(folder.path() / "media");
        fs::copy_file(std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-flag-japan.gif",
                      folder.path() / "media" / "flag.gif");
        fs::copy_file(std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-morse-sos.wav",
                      folder.path() / "media" / "sos.wav");
    }
    QString shown(const char* element, bool judged = false) {
        return preview.gameWindow(judged)->findChild<QLabel*>(element)->text();
    }
    QSet<QString> answersShown(bool judged = false) {
        QSet<QString> texts;
        for (const char* panel : {"PanelRepA", "PanelRepB", "PanelRepC", "PanelRepD"}) {
            EXPECT_TRUE(preview.gameWindow(judged)->widgetFor(panel)->isVisible());
            texts.insert(shown(panel, judged));
        }
        return texts;
    }

    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    QuestionPreview preview{sound};
    authoring::Question question{
        "Which flag is a red disc on white?", {"Japan", "Bangladesh", "Palau", "Laos"}, "150", ""};
};

// The question and its four answers show on the game's panels, with its points on the status
// line, and the question takes the full width without a picture.
TEST_F(PreviewTest, ShowsTheQuestionAndItsFourAnswersOnTheGamesPanels) {
    preview.show();
    preview.showQuestion(question, folder.path(), 3);
    EXPECT_EQ(preview.problem(), QString());
    EXPECT_EQ(shown("PanelQuestion"), QString::fromStdString(question.text));
    EXPECT_EQ(answersShown(), (QSet<QString>{"Japan", "Bangladesh", "Palau", "Laos"}));
    EXPECT_EQ(shown("Panel"), "150 Points Question");
    EXPECT_EQ(preview.gameForm(false)->PanelQuestion.Width, app::MasterForm::kQuestionWidth);
    EXPECT_FALSE(preview.gameWindow(false)->widgetFor("Picture1")->isVisible());

    // A question is always dealt alike: typing does not shuffle the panels.
    const QString first = shown("PanelRepA");
    question.answers[1] = "Greenland";
    preview.showQuestion(question, folder.path(), 3);
    EXPECT_EQ(shown("PanelRepA") == "Greenland", first == "Bangladesh");
}

// A picture narrows the question panel and shows in the picture box; a sound brings Replay,
// which plays it only when pressed.
TEST_F(PreviewTest, APictureNarrowsTheQuestionAndASoundOffersReplay) {
    preview.show();
    question.media = "media/flag.gif";
    preview.showQuestion(question, folder.path(), 1);
    const app::MasterForm& form = *preview.gameForm(false);
    EXPECT_EQ(form.PanelQuestion.Width, app::MasterForm::kQuestionWidthBesidePicture);
    ASSERT_NE(form.Picture1.Picture, nullptr);
    EXPECT_EQ(form.Picture1.Picture->width(), 105);
    EXPECT_TRUE(preview.gameWindow(false)->widgetFor("Picture1")->isVisible());

    question.media = "media\\SOS.wav";  // as a module made elsewhere may name it
    preview.showQuestion(question, folder.path(), 1);
    EXPECT_TRUE(sound.calls.empty());
    auto* replay = qobject_cast<QAbstractButton*>(preview.gameWindow(false)->widgetFor("Replay"));
    ASSERT_TRUE(replay && replay->isVisible());
    replay->click();
    ASSERT_EQ(sound.calls.size(), 2u);
    EXPECT_EQ(testing::readBytes(sound.calls[0].substr(5)),
              testing::readBytes(folder.path() / "media" / "sos.wav"));
    EXPECT_EQ(sound.calls[1], "play");
}

// The judged look is the same deal after a wrong answer: the wrong panel red, the right green.
TEST_F(PreviewTest, TheJudgedLookShowsTheRightAndWrongColours) {
    preview.show();
    preview.showQuestion(question, folder.path(), 2);
    preview.setJudged(true);
    const app::MasterForm& judged = *preview.gameForm(true);
    const app::MasterForm& asked = *preview.gameForm(false);
    int right = 0, wrong = 0;
    const app::Label* panels[] = {&judged.PanelRepA, &judged.PanelRepB, &judged.PanelRepC,
                                  &judged.PanelRepD};
    const app::Label* dealt[] = {&asked.PanelRepA, &asked.PanelRepB, &asked.PanelRepC,
                                 &asked.PanelRepD};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panels[i]->Caption, dealt[i]->Caption);
        if (panels[i]->BackColor == app::colours::kRight) {
            ++right;
            EXPECT_EQ(panels[i]->Caption, "Japan");
        }
        if (panels[i]->BackColor == app::colours::kWrong) ++wrong;
    }
    EXPECT_EQ(right, 1);
    EXPECT_EQ(wrong, 1);
    EXPECT_EQ(answersShown(true).size(), 4);
}

}  // namespace
}  // namespace vexlor::editor
