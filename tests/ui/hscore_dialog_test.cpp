// The high-score entry window on screen, driven offscreen with typed keys and clicks.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

#include "support/fakes.h"
#include "support/module_files.h"
#include "ui/hscore_dialog.h"
#include "ui/qt_adapters.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

// Presses and releases a key over a widget, as the keyboard would.
void press(QWidget* widget, int key, const QString& text = {},
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &up);
}

// Types a text key by key, characters outside ASCII included.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text) press(widget, Qt::Key_unknown, QString(c));
}

QLineEdit* nameBox(QDialog* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("NameH"));
}

// A module with one stored score open in the window, and a game that ended with 00350.
class HScoreDialogTest : public ::testing::Test, private WithApplication {
  protected:
    HScoreDialogTest() {
        EXPECT_TRUE(vexlor::testing::writeModule(folder.file("quiz.vxm"),
                                                 {.questions = vexlor::testing::sampleQuestions(2),
                                                  .scores = {{"Ann", "Feb/02/2002", "00100"}}}));
        f.form.Form_Load();
        f.form.Form_Paint();
        f.fileDialog.answers.push_back(folder.file("quiz.vxm"));
        f.form.Modu_Click();
        f.form.quiz.score = 350;
    }
    long storedRows() { return f.form.Data4.RecordCount(); }

    vexlor::testing::TempFolder folder;
    vexlor::testing::FormFixture f;
};

// The name box refuses the 21st character, counting characters and not bytes or UTF-16 units.
TEST_F(HScoreDialogTest, TheNameBoxRefusesTheTwentyFirstCharacter) {
    HScoreDialog dialog(f.form, nullptr);
    QLineEdit* name = nameBox(&dialog);
    type(name, QStringLiteral("abcdefghijklmnopqrstu"));
    EXPECT_EQ(name->text(), QStringLiteral("abcdefghijklmnopqrst"));
    name->clear();
    type(name, QString::fromUtf8("\xC3\xAB").repeated(21));
    EXPECT_EQ(name->text(), QString::fromUtf8("\xC3\xAB").repeated(20));
    // Twenty characters outside the basic plane are forty UTF-16 units, and still fit.
    QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(20);
    int at = 0;
    EXPECT_EQ(name->validator()->validate(emoji, at), QValidator::Acceptable);
    EXPECT_GE(name->maxLength(), emoji.size());
    emoji += QLatin1Char('a');
    EXPECT_EQ(name->validator()->validate(emoji, at), QValidator::Invalid);
}

// Opened through the window service, the window has the program's icon, the focus in the empty
// name box, today's date and the score; Enter neither presses OK nor closes it; OK, reached with
// Tab and pressed with Space, stores the row and reports it stored. Escape does nothing either;
// the close button closes it and stores nothing.
TEST_F(HScoreDialogTest, EnterAndEscapeDoNothingOkStoresAndCloseStoresNothing) {
    QtWindows windows;
    windows.setMainWindow(&f.form, nullptr);
    whenShown<HScoreDialog>([this](HScoreDialog* dialog) {
        QApplication::setActiveWindow(dialog);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), nameBox(dialog));
        EXPECT_FALSE(dialog->windowIcon().isNull());
        EXPECT_TRUE(nameBox(dialog)->text().isEmpty());
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("DateH"))->text(),
                  QStringLiteral("Jan/07/2000"));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("ScoreH"))->text(),
                  QStringLiteral("00350"));
        type(nameBox(dialog), QString::fromUtf8("Zo\xC3\xAB"));
        press(nameBox(dialog), Qt::Key_Return, QStringLiteral("\r"));
        press(nameBox(dialog), Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(storedRows(), 1);
        press(QApplication::focusWidget(), Qt::Key_Tab);
        press(QApplication::focusWidget(), Qt::Key_Space, QStringLiteral(" "));
        if (dialog->isVisible()) dialog->reject();  // so that a failure cannot hang the test
    });
    EXPECT_EQ(windows.showHighScoreEntry(), platform::HighScoreEntry::Stored);
    f.form.HighScore();
    EXPECT_EQ(f.form.Pan(1).Caption, " 1.Zo\xC3\xAB" + std::string(17, ' ') + " Jan/07/2000 00350");
    EXPECT_EQ(storedRows(), 2);

    whenShown<HScoreDialog>([](HScoreDialog* dialog) {
        type(nameBox(dialog), QStringLiteral("Bob"));
        press(nameBox(dialog), Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        dialog->close();
    });
    EXPECT_EQ(windows.showHighScoreEntry(), platform::HighScoreEntry::Closed);
    EXPECT_EQ(storedRows(), 2);
}

}  // namespace
}  // namespace vexlor::ui
