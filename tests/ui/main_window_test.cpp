// The main window on screen, drawn offscreen: size, colours, texts, and what can be clicked.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>

#include "../support/fakes.h"
#include "ui/main_window.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

// Made first, so the application stands before any widget.
struct WithApplication {
    WithApplication() { application(); }
};

class MainWindowTest : public ::testing::Test, private WithApplication {
  protected:
    vexlor::testing::FormFixture f;
    MainWindow window{f.form};
};

TEST_F(MainWindowTest, HasTheFixedSizeAndTheGreyStripOfTheDesign) {
    f.form.Form_Load();
    window.render();
    EXPECT_EQ(window.size(), QSize(541, 334));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vexlor Player - "));

    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() - 3, 3 * shot.height() / 4), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black));
}

TEST_F(MainWindowTest, ShowsTheOpenPromptAndOffersOnlyOpenAboutAndExit) {
    window.show();
    auto* panel = window.findChild<QLabel*>(QStringLiteral("Panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), QStringLiteral("Press Open to select a Module"));
    EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(0xFF, 0x80, 0x00));

    QStringList clickable;
    for (auto* button : window.findChildren<QAbstractButton*>())
        if (button->isVisible() && button->isEnabled()) clickable << button->objectName();
    clickable.sort();
    EXPECT_EQ(clickable, (QStringList{QStringLiteral("About"), QStringLiteral("Modu"),
                                      QStringLiteral("Sortie")}));

    window.findChild<QAbstractButton*>(QStringLiteral("About"))->click();
    EXPECT_EQ(f.windows.aboutShown, 1);
    window.findChild<QAbstractButton*>(QStringLiteral("Sortie"))->click();
    EXPECT_EQ(f.windows.ended, 1);
}

TEST_F(MainWindowTest, DrawsTheFormAfterAnEventAndKeepsTopTenLinesFixedPitch) {
    window.show();
    f.form.Panel.Caption = "<b>Correct Answer</b>";
    f.form.Start.Visible = true;
    window.render();
    auto* panel = window.findChild<QLabel*>(QStringLiteral("Panel"));
    EXPECT_EQ(panel->text(), QStringLiteral("<b>Correct Answer</b>"));
    EXPECT_EQ(panel->textFormat(), Qt::PlainText);
    EXPECT_TRUE(window.findChild<QAbstractButton*>(QStringLiteral("Start"))->isVisible());

    auto* pan = window.findChild<QLabel*>(QStringLiteral("Pan10"));
    ASSERT_NE(pan, nullptr);
    EXPECT_TRUE(QFontInfo(pan->font()).fixedPitch());
}

}  // namespace
}  // namespace vexlor::ui
