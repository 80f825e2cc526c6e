// The main window on screen, drawn offscreen: size, colours, texts, what clicks and keys reach,
// and what assistive technology reads.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "support/fakes.h"
#include "support/module_files.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

using app::Rgb;

class MainWindowTest : public ::testing::Test, private WithApplication {
  protected:
    vexlor::testing::FormFixture f;
    MainWindow window{f.form};

    QImage shot() { return window.grab().toImage(); }
    // A point inside an element, `dx`, `dy` pixels from its top left corner.
    static QPoint inside(const app::Element& element, int dx = 3, int dy = 3) {
        return placeOf(element).topLeft() + QPoint(dx, dy);
    }
};

// The bounds of the pixels of an area that have `colour`, or by default that differ from the
// area's corner pixel.
QRect ink(const QImage& image, const QRect& area, std::optional<QColor> colour = std::nullopt) {
    const QColor background = image.pixelColor(area.topLeft());
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (colour ? image.pixelColor(x, y) == *colour : image.pixelColor(x, y) != background)
                found |= QRect(x, y, 1, 1);
    return found;
}

// The window has the design's fixed size and colours; labels paint their colours, font sizes
// and alignment, elements show and hide, and the question's picture is scaled into its square:
// a change of any shows after the next draw.
TEST_F(MainWindowTest, DrawsTheDesignAndFollowsTheForm) {
    f.form.Form_Load();
    window.show();
    EXPECT_EQ(window.size(), QSize(541, 334));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    QImage image = shot();
    const QColor grey(0xC0, 0xC0, 0xC0);
    EXPECT_EQ(image.pixelColor(image.width() - 3, 3 * image.height() / 4), grey);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(inside(f.form.FiftyPanel, 2, 2)), grey);
    EXPECT_TRUE(QFontInfo(window.findChild<QLabel*>(QStringLiteral("Pan10"))->font()).fixedPitch());
    // 24-point digits stand about 23 pixels tall.
    const QRect score = placeOf(f.form.Score), panel = placeOf(f.form.Panel);
    EXPECT_NEAR(ink(image, score).height(), 23, 4);

    f.form.PanelRepB.Visible = true;
    f.form.PanelRepB.Caption = "MMMM";
    f.form.PanelRepB.BackColor = app::colours::kRight;
    f.form.PanelRepB.ForeColor = Rgb::hex(0xFF0000);
    f.form.Score.font.points = 12;
    f.form.BackColor = Rgb::hex(0x102030);
    f.form.FiftyPanel.Visible = false;
    f.form.Panel.Caption = "Hi";
    f.form.Panel.alignment = app::Alignment::Left;
    f.form.TopTen.Visible = true;
    f.form.TopTen.Caption = "TOP TEN";
    // A line too wide for its label is cut at the edge; wrapped, its score would go to a hidden
    // second line.
    f.form.Pan1.Caption = "1.Kim Keys                         Dec/06/2026 1234567";
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::red);
    f.form.Picture1.Visible = true;
    f.form.Picture1.Picture = std::make_shared<QtPicture>(wide);
    window.render();
    image = shot();
    EXPECT_EQ(image.pixelColor(inside(f.form.PanelRepB)), QColor(0x00, 0xC0, 0x00));
    EXPECT_GT(ink(image, placeOf(f.form.PanelRepB), QColor(0xFF, 0, 0)).width(), 20);
    EXPECT_NEAR(ink(image, score).height(), 11, 3);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0x10, 0x20, 0x30));
    EXPECT_FALSE(window.widgetFor(QStringLiteral("FiftyPanel"))->isVisible());
    EXPECT_EQ(image.pixelColor(inside(f.form.FiftyPanel, 2, 2)), grey);
    EXPECT_LT(ink(image, panel).left(), panel.left() + 10);
    auto* frame = window.findChild<QGroupBox*>(QStringLiteral("TopTen"));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->title(), QStringLiteral("TOP TEN"));
    const QImage line = window.findChild<QLabel*>(QStringLiteral("Pan1"))->grab().toImage();
    EXPECT_GT(ink(line, line.rect()).right(), line.width() - 5);
    const QRect square = placeOf(f.form.Picture1);
    EXPECT_EQ(image.pixelColor(square.center()), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(square.left() + 2, square.center().y()), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(square.center().x(), square.top() + 2), QColor(0x10, 0x20, 0x30));

    f.form.Panel.alignment = app::Alignment::Right;
    f.form.Picture1.Picture = nullptr;
    window.render();
    image = shot();
    EXPECT_GT(ink(image, panel).right(), panel.right() - 10);
    EXPECT_NE(image.pixelColor(square.center()), QColor(Qt::red));
}

// The window behind a modal window already shows the state the routine left before opening it;
// every window has the program's icon; About's OK button closes About, as Enter and Space do, and
// its title stays empty: no application name is put there.
TEST_F(MainWindowTest, ModalWindowsOpenOverTheLatestStateAndAboutClosesWithOk) {
    window.show();
    QtMessageBox messageBox;
    messageBox.setParent(&window);
    QtWindows windows;
    windows.setMainWindow(&f.form, &window);
    QString seen, title;
    bool closedByOk = false;
    int iconless = window.windowIcon().isNull();
    auto lookBehindAndClose = [&] {
        whenShown<QDialog>([&](QDialog* modal) {
            seen = window.findChild<QLabel*>(QStringLiteral("Panel"))->text();
            title = modal->windowTitle();
            iconless += modal->windowIcon().isNull();
            if (auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("cmdOk")))
                clickWidget(ok), closedByOk = !modal->isVisible();
            if (modal->isVisible()) modal->reject();
        });
    };
    f.form.Panel.Caption = "before the message";
    lookBehindAndClose();
    messageBox.show("text", 48, "title");
    EXPECT_EQ(seen, QStringLiteral("before the message"));

    f.form.Panel.Caption = "before About";
    lookBehindAndClose();
    windows.showAbout();
    EXPECT_EQ(seen, QStringLiteral("before About"));
    EXPECT_TRUE(closedByOk);
    // Qt shows the application's name for an empty title; a blank one shows as empty.
    EXPECT_TRUE(title.trimmed().isEmpty());
    EXPECT_FALSE(title.isEmpty());
    EXPECT_EQ(iconless, 0);

    for (int key : {Qt::Key_Return, Qt::Key_Space}) {
        whenShown<QDialog>([&](QDialog* about) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(about, &press);
            closedByOk = !about->isVisible();
            if (about->isVisible()) about->reject();
        });
        windows.showAbout();
        EXPECT_TRUE(closedByOk) << key;
    }
}

// An answer panel takes only a left press and release inside it as a click (the key tests click
// the panels); a right click, or a press let go outside, is no click.
TEST(ClickableLabel, OnlyALeftPressAndReleaseInsideIsAClick) {
    application();
    ClickableLabel label(nullptr);
    label.resize(100, 20);
    label.show();
    int clicks = 0;
    QObject::connect(&label, &ClickableLabel::clicked, [&] { ++clicks; });
    clickWidget(&label, QPoint(50, 10), Qt::RightButton);
    sendMouse(&label, QEvent::MouseButtonPress, QPoint(50, 10));
    sendMouse(&label, QEvent::MouseButtonRelease, QPoint(150, 10));  // let go outside
    EXPECT_EQ(clicks, 0);
}

// Where a key can come during a game.
enum class Stage { Idle, Ready, Preparing, Asking, Judged, GameOverDelay };

// A shown window with a game brought to `stage` through the window's own routines.
struct GameAt : WithApplication {
    vexlor::testing::FormFixture f;
    MainWindow window{f.form};
    const std::array<app::Label*, 4> answers{&f.form.PanelRepA, &f.form.PanelRepB,
                                             &f.form.PanelRepC, &f.form.PanelRepD};

    GameAt(Stage stage, const std::string& module) {
        f.form.Form_Load();
        window.show();
        if (stage != Stage::Idle) f.fileDialog.answers.push_back(module), f.form.Modu_Click();
        if (stage > Stage::Ready) f.form.Start_Click();
        if (stage > Stage::Preparing) f.timers.advance(3000);
        if (stage > Stage::Asking) {
            for (const app::Label* answer : answers)
                if ((answer->DataField == "Reponce") == (stage == Stage::Judged)) {
                    clickWidget(window.widgetFor(QString::fromStdString(answer->name)));
                    break;
                }
            f.timers.advance(2000);
        }
        window.render();
    }
    // What a click can change, by name, as text.
    std::map<std::string, std::string> seen() const {
        std::string chosen;
        for (const app::Label* answer : answers)
            if (answer->BackColor == app::colours::kClicked) chosen += answer->name;
        auto n = [](auto value) { return std::to_string(value); };
        return {{"open", n(f.fileDialog.requests.size())},
                {"about", n(f.windows.aboutShown)},
                {"exit", n(f.windows.ended)},
                {"start", n(f.form.Start.Visible)},
                {"next", n(f.form.NextQ.Visible)},
                {"chosen", chosen},
                {"fifty", f.form.FiftyPanel.Caption},
                {"pause", f.form.PausePanel.Caption},
                {"sound", n(f.soundPlayer.calls.size())},
                {"full screen", n(window.isFullScreen())}};
    }
};

// The names of what differs between two sightings, in order, separated by spaces.
std::string changes(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
    std::string names;
    for (const auto& [name, value] : before)
        if (after.at(name) != value) names += (names.empty() ? "" : " ") + name;
    return names;
}

// A key presses its element exactly as a click does when the element is offered, and does
// nothing when it is not; other modifiers and a held key's repeats press nothing.
TEST(Keys, AKeyDoesWhatAClickOnItsElementDoes) {
    vexlor::testing::TempFolder folder;
    auto questions = vexlor::testing::sampleQuestions(3);
    for (auto& question : questions) question.audio = "tone.wav";
    const std::string module = folder.file("quiz.vxm");
    ASSERT_TRUE(vexlor::testing::writeModule(module, {.questions = questions}));
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const struct {
        Stage stage;
        int key;
        Qt::KeyboardModifiers held;
        const char* element;
        const char* effect;
        bool repeat = false;
    } cases[] = {
        {Stage::Idle, Qt::Key_O, none, "Modu", "open"},
        {Stage::Idle, Qt::Key_F1, none, "About", "about"},
        {Stage::Idle, Qt::Key_Q, Qt::ControlModifier, "Sortie", "exit"},
        {Stage::Idle, Qt::Key_Q, none, "Sortie", ""},
        {Stage::Idle, Qt::Key_Return, none, "Start", ""},
        {Stage::Ready, Qt::Key_Return, none, "Start", "start"},
        {Stage::Ready, Qt::Key_Enter, Qt::KeypadModifier, "Start", "start"},
        {Stage::Ready, Qt::Key_Return, none, "Start", "", true},
        {Stage::Ready, Qt::Key_O, Qt::AltModifier, "Modu", ""},
        {Stage::Preparing, Qt::Key_1, none, "PanelRepA", ""},
        {Stage::Preparing, Qt::Key_Return, none, "NextQ", ""},
        {Stage::Preparing, Qt::Key_Escape, none, "Sortie", ""},
        {Stage::Asking, Qt::Key_1, none, "PanelRepA", "chosen sound"},
        {Stage::Asking, Qt::Key_B, none, "PanelRepB", "chosen sound"},
        {Stage::Asking, Qt::Key_3, Qt::KeypadModifier, "PanelRepC", "chosen sound"},
        {Stage::Asking, Qt::Key_D, Qt::ShiftModifier, "PanelRepD", "chosen sound"},
        {Stage::Asking, Qt::Key_2, Qt::ControlModifier, "PanelRepB", ""},
        {Stage::Asking, Qt::Key_F, none, "Fifty", "fifty"},
        {Stage::Asking, Qt::Key_P, none, "Pause", "pause"},
        {Stage::Asking, Qt::Key_R, none, "Replay", "sound"},
        {Stage::Asking, Qt::Key_O, none, "Modu", ""},
        {Stage::Judged, Qt::Key_Return, none, "NextQ", "next"},
        {Stage::Judged, Qt::Key_Space, none, "NextQ", "next"},
        {Stage::Judged, Qt::Key_Escape, none, "Sortie", ""},
        {Stage::Judged, Qt::Key_F11, none, nullptr, "full screen"},
        {Stage::GameOverDelay, Qt::Key_Return, none, "Start", ""},
        {Stage::GameOverDelay, Qt::Key_Escape, none, "Sortie", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stage " << static_cast<int>(c.stage) << ", key "
                                          << QKeySequence(c.key | c.held).toString().toStdString()
                                          << (c.repeat ? " repeated" : ""));
        GameAt byKey(c.stage, module);
        const auto before = byKey.seen();
        QKeyEvent press(QEvent::KeyPress, c.key, c.held, QString(), c.repeat);
        QApplication::sendEvent(&byKey.window, &press);
        EXPECT_EQ(changes(before, byKey.seen()), c.effect);

        if (*c.effect == '\0' || c.element == nullptr) continue;
        GameAt byClick(c.stage, module);
        clickWidget(byClick.window.widgetFor(QString::fromLatin1(c.element)));
        EXPECT_EQ(byClick.seen(), byKey.seen());
    }
}

// In full screen the window fills a 1920 x 1080 screen, scaled alike both ways and centred on
// black: elements keep their colours, text and the picture are drawn at the scaled size, a
// click at the scaled place of an answer chooses it, and Escape gives the window back its size.
TEST(FullScreen, TheWindowIsScaledAndWorksAsBefore) {
    vexlor::testing::TempFolder folder;
    const std::string module = folder.file("quiz.vxm");
    ASSERT_TRUE(
        vexlor::testing::writeModule(module, {.questions = vexlor::testing::sampleQuestions(3)}));
    const double scale = 1080.0 / 334;
    const QPoint origin((1920 - qRound(541 * scale)) / 2, 0);
    auto place = [&](const app::Element& element) {
        return scaled(placeOf(element), scale).translated(origin);
    };
    auto settle = [](MainWindow& window, QSize size) {
        for (int i = 0; i < 200 && window.size() != size; ++i) QApplication::processEvents();
        return window.size();
    };
    GameAt game(Stage::Asking, module);
    app::MasterForm& form = game.f.form;
    game.window.setFullScreen(true);
    ASSERT_EQ(settle(game.window, QSize(1920, 1080)), QSize(1920, 1080));
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    form.Picture1.Visible = true;
    form.Picture1.Picture = std::make_shared<QtPicture>(red);
    game.window.render();
    const QImage image = game.window.grab().toImage();
    for (int x : {origin.x() / 2, 1919 - origin.x() / 2})
        EXPECT_EQ(image.pixelColor(x, 540), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(origin + QPoint(5, 5)), colourOf(form.BackColor));
    // The grey strip runs to the window's right edge, which ends where the margin starts.
    EXPECT_EQ(image.pixelColor(origin.x() + qRound(541 * scale) - 3, 540),
              colourOf(form.Shape1.FillColor));
    EXPECT_EQ(image.pixelColor(place(form.PanelRepD).topLeft() + QPoint(2, 2)),
              colourOf(form.PanelRepD.BackColor));
    EXPECT_NEAR(ink(image, place(form.Score)).height(), 23 * scale, 8);
    EXPECT_NEAR(ink(image, place(form.Picture1), QColor(Qt::red)).width(), 10 * scale, 1);

    const QPoint at = place(form.PanelRepD).center();
    QWidget* target = game.window.childAt(at);
    ASSERT_NE(target, nullptr);
    clickWidget(target, target->mapFrom(&game.window, at));
    EXPECT_EQ(game.seen().at("chosen"), "PanelRepD");

    // The windows opened over it are enlarged with it, as far as the screen allows, and stand
    // in its middle, text and all.
    QtWindows windows;
    windows.setMainWindow(&form, &game.window);
    for (const auto& [name, base, open] :
         std::vector<std::tuple<QString, QSize, std::function<void()>>>{
             {"Label6", QSize(300, 394), [&] { windows.showAbout(); }},
             {"ScoreH", QSize(345, 186), [&] { windows.showHighScoreEntry(); }}}) {
        SCOPED_TRACE(name.toStdString());
        whenShown<QDialog>([&, name = name, base = base](QDialog* dialog) {
            const double enlarged = std::min(scale, 1080 * 0.95 / base.height());
            EXPECT_NEAR(dialog->width(), base.width() * enlarged, 2);
            EXPECT_NEAR(dialog->height(), base.height() * enlarged, 2);
            EXPECT_LE((dialog->geometry().center() - QPoint(960, 540)).manhattanLength(), 4);
            const auto* label = dialog->findChild<QLabel*>(name);
            ASSERT_NE(label, nullptr);
            EXPECT_GT(label->font().pixelSize(), 2 * 12);
            dialog->reject();
        });
        open();
    }

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&game.window, &escape);
    EXPECT_FALSE(game.window.isFullScreen());
    EXPECT_EQ(settle(game.window, QSize(541, 334)), QSize(541, 334));
}

// Started filling the screen, the window has no place of its own: leaving full screen puts it
// in the middle of the screen, where its title bar can be reached, not in the screen's corner.
TEST(FullScreen, LeftAfterStartingInItTheWindowStandsInTheMiddle) {
    WithApplication application;
    vexlor::testing::FormFixture f;
    MainWindow window(f.form);
    f.form.Form_Load();
    window.setFullScreen(true);
    for (int i = 0; i < 200 && window.size() != QSize(1920, 1080); ++i)
        QApplication::processEvents();
    window.setFullScreen(false);
    for (int i = 0; i < 200 && window.size() != QSize(541, 334); ++i) QApplication::processEvents();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry()));
    EXPECT_LE((window.frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

// Assistive technology reads every element with what it shows, kept current as it changes.
TEST_F(MainWindowTest, ElementsAreReadWithWhatTheyShow) {
    f.form.Form_Load();
    window.show();
    auto expectRead = [this](std::initializer_list<std::pair<const char*, const char*>> table) {
        for (auto [name, spoken] : table) {
            QAccessibleInterface* element =
                QAccessible::queryAccessibleInterface(window.widgetFor(QString::fromLatin1(name)));
            ASSERT_NE(element, nullptr) << name;
            EXPECT_EQ(element->text(QAccessible::Name), QString::fromLatin1(spoken));
        }
    };
    expectRead({{"Modu", "Open"}, {"Score", "Score: 00000"}, {"PanelQuestion", "Question"}});
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(window.widgetFor(QStringLiteral("Fifty")))->role(),
        QAccessible::Button);

    f.form.PanelQuestion.Caption = "Which planet is red?";
    f.form.PanelRepC.Caption = "Mars";
    f.form.Horloge.Caption = "12";
    window.render();
    expectRead({{"PanelQuestion", "Question: Which planet is red?"},
                {"PanelRepC", "Answer C: Mars"},
                {"Horloge", "Time left: 12"}});
}

}  // namespace
}  // namespace vexlor::ui
