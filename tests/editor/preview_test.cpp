// The preview is the game's own window dealing the question: four answers on the panels, the
// question beside its picture, Replay for a sound, and the judged look's colours.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QSet>
#include <filesystem>

#include <QApplication>

#include "app/master_form.h"
#include "editor/preview.h"
#include "support/fakes.h"
#include "ui/main_window.h"
#include "ui/ui_application.h"
#include "ui/widgets.h"

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

    // A press and release in the middle of `widget`, as a mouse click delivers them.
    static void click(QWidget* widget) {
        const QPointF at = QRectF(widget->rect()).center();
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(widget, &event);
        }
    }
    // The answer panel of the asked look holding the right answer, or a wrong one.
    QWidget* answerPanel(bool right) {
        const app::MasterForm& form = *preview.gameForm(false);
        for (const app::Label* panel :
             {&form.PanelRepA, &form.PanelRepB, &form.PanelRepC, &form.PanelRepD})
            if ((panel->DataField == "Reponce") == right)
                return preview.gameWindow(false)->widgetFor(QString::fromStdString(panel->name));
        return nullptr;
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

// A click on an answer is judged by the game's own routine after its two seconds: the right
// answer green with "Correct Answer", or the clicked one red beside the right one green. The
// verdict stays a moment, or until the next click on the board, and the question is asked again.
TEST_F(PreviewTest, AClickedAnswerIsJudgedAsTheGameJudgesItThenAskedAgain) {
    preview.show();
    preview.showQuestion(question, folder.path(), 2);
    for (const bool right : {true, false}) {
        for (const bool againByClick : {false, true}) {
            SCOPED_TRACE(::testing::Message() << (right ? "right" : "wrong")
                                              << (againByClick ? ", asked again by a click" : ""));
            QWidget* chosen = answerPanel(right);
            ASSERT_NE(chosen, nullptr);
            click(chosen);
            const auto colour = [&](QWidget* panel) {
                return panel->palette().color(QPalette::Window);
            };
            EXPECT_EQ(colour(chosen), ui::colourOf(app::colours::kClicked));
            preview.advance(1999);
            EXPECT_FALSE(preview.showsVerdict());
            preview.advance(1);
            ASSERT_TRUE(preview.showsVerdict());
            EXPECT_EQ(shown("Panel"), right ? "Correct Answer" : "Wrong Answer   Game Over!");
            EXPECT_EQ(colour(chosen),
                      ui::colourOf(right ? app::colours::kRight : app::colours::kWrong));
            EXPECT_EQ(colour(answerPanel(true)), ui::colourOf(app::colours::kRight));
            // Next, About and Exit would lead out of a game that is not there.
            for (auto* button : preview.gameWindow(false)->findChildren<QAbstractButton*>())
                EXPECT_FALSE(button->isVisibleTo(preview.gameWindow(false)))
                    << button->objectName().toStdString();

            if (againByClick) {
                click(chosen);
                QCoreApplication::processEvents();
            } else {
                preview.advance(2900);
                EXPECT_TRUE(preview.showsVerdict());
                preview.advance(100);
            }
            EXPECT_FALSE(preview.showsVerdict());
            EXPECT_EQ(shown("Panel"), "150 Points Question");
            EXPECT_EQ(answersShown().size(), 4);
        }
    }
}

// Nothing on the preview looks clickable and does nothing: with no question the board shows no
// button and takes no click; the judged look is a picture; the asked look offers the
// fifty-fifty, which works, and not the pause, which would stop a clock that stands still.
TEST_F(PreviewTest, EveryButtonShownWorksAndPicturesTakeNoClick) {
    preview.show();
    for (const bool judged : {false, true}) {
        ui::MainWindow* board = preview.gameWindow(judged);
        EXPECT_TRUE(board->testAttribute(Qt::WA_TransparentForMouseEvents));
        for (auto* button : board->findChildren<QAbstractButton*>())
            EXPECT_FALSE(button->isVisibleTo(board)) << button->objectName().toStdString();
        EXPECT_EQ(shown("Panel", judged), "Select a question to see it here");
    }

    preview.showQuestion(question, folder.path(), 2);
    preview.setJudged(true);
    EXPECT_TRUE(preview.gameWindow(true)->testAttribute(Qt::WA_TransparentForMouseEvents));
    preview.setJudged(false);
    ui::MainWindow* asked = preview.gameWindow(false);
    EXPECT_FALSE(asked->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(asked->widgetFor("Pause")->isVisibleTo(asked));
    auto* fifty = qobject_cast<QAbstractButton*>(asked->widgetFor("Fifty"));
    ASSERT_TRUE(fifty && fifty->isVisibleTo(asked));
    fifty->click();
    preview.advance(2000);
    EXPECT_TRUE(answerPanel(true)->isVisibleTo(asked));
    int left = 0;
    for (const char* panel : {"PanelRepA", "PanelRepB", "PanelRepC", "PanelRepD"})
        left += asked->widgetFor(panel)->isVisibleTo(asked) ? 1 : 0;
    EXPECT_EQ(left, 2);
    // The clock stands still: no time runs out while the author looks.
    const QString clock = shown("Horloge");
    preview.advance(60000);
    EXPECT_EQ(shown("Horloge"), clock);
    EXPECT_FALSE(preview.showsVerdict());
}

}  // namespace
}  // namespace vexlor::editor
