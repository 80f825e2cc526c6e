// The game as its executable starts it: the command line, start-up, the window, and the end.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "support/module_files.h"
#include "ui/game.h"
#include "ui/main_window.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

namespace fs = std::filesystem;

// What the running game is asked to do once its window shows; true when it is done.
std::function<bool(MainWindow&)> drive;
bool forcedToQuit = false;

// Runs inside the game's own event loop once the application exists.
void driveTheGame() {
    auto* poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<MainWindow*>(widget);
            if (window != nullptr && window->isVisible() && drive(*window)) poll->stop();
        }
    });
    poll->start();
    // A game that never shows its window, or that does not end, is ended here.
    QTimer::singleShot(15000, [] { forcedToQuit = true, QCoreApplication::exit(99); });
}
Q_COREAPP_STARTUP_FUNCTION(driveTheGame)

// Runs the game as a player does from `folder`, with `arguments` after its name.
int runIn(const fs::path& folder, std::vector<std::string> arguments) {
    forcedToQuit = false;
    arguments.insert(arguments.begin(), "vexlor");
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    const int code = runGame(static_cast<int>(argv.size()), argv.data());
    fs::current_path(before);
    return code;
}

// Started from the menu with an empty environment (a service, "env -i", a kiosk launcher) by a
// user the password database gives no home, or a home that cannot be made, in a folder that
// user could write: nothing appears in that folder, and with no home at all the player is told
// so. First in this file, so that the game is forked before any other test started Qt.
TEST(GameStartWithoutHome, WritesNothingWhereItStarted) {
    // Other users are needed: the game must not write into a real home.
    if (::geteuid() != 0) GTEST_SKIP() << "runs as users of its choosing, so only as root";
    const struct {
        const char* name;
        uid_t user;
        const char* told;  // in the message shown, when one must be
    } cases[] = {
        {"no entry in the password database", 4242424, "There is no home folder"},
        {"a home that cannot be made (nobody's)", 65534, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vexlor::testing::TempFolder start;
        fs::permissions(start.path(), fs::perms::all);
        const pid_t child = ::fork();
        if (child == 0) {
            ::clearenv();
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);  // the launcher's display
            if (::setgid(c.user) != 0 || ::setuid(c.user) != 0 ||
                ::chdir(start.path().c_str()) != 0)
                ::_exit(90);
            std::string told;
            drive = [&told](MainWindow& window) {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    told = box->text().toStdString();
                    box->accept();
                    return false;
                }
                QTimer::singleShot(0, &window,
                                   [&window] { clickWidget(window.widgetFor("Sortie")); });
                return true;
            };
            std::string name = "vexlor", fromMenu = "--from-menu";
            char* argv[] = {name.data(), fromMenu.data(), nullptr};
            const int code = runGame(2, argv);
            ::_exit(code != 0 || forcedToQuit                                     ? 1
                    : c.told != nullptr && told.find(c.told) == std::string::npos ? 2
                                                                                  : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        std::vector<std::string> made;
        for (const auto& entry : fs::recursive_directory_iterator(start.path()))
            made.push_back(entry.path().string());
        EXPECT_TRUE(made.empty()) << made.front();
    }
}

class GameStart : public ::testing::Test {
  protected:
    GameStart() {
        fs::copy_file(VEXLOR_ICON, start.path() / "VXM.ico");
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    vexlor::testing::TempFolder data, start;
};

// Started with no module the window shows idle; a module named on the command line goes
// through the opening at start: a good one is open and ready to start, a refused one gives the
// opening's own message over the window, which stays idle. --fullscreen starts filling the
// screen. Every window has the program's icon. Exit ends the game with code 0. The first start
// registers the module type as an installation does.
TEST_F(GameStart, StartsWithTheModuleNamedOnTheCommandLine) {
    fs::create_directory(start.path() / "sub");
    ASSERT_TRUE(vexlor::testing::writeModule((start.path() / "sub" / "quiz.vxm").string(),
                                             {.questions = vexlor::testing::sampleQuestions(3)}));
    std::ofstream(start.path() / "junk.vxm") << "not a module";
    ASSERT_EQ(::mkfifo((start.path() / "pipe.vxm").c_str(), 0600), 0);
    std::string deep;
    for (int i = 0; i < 2100; ++i) deep += "d/";
    const struct {
        std::vector<std::string> arguments;
        const char* title;
        const char* message;
        bool startOffered;
        bool fullScreen = false;
    } cases[] = {
        {{}, "Vexlor Player - ", "", false},
        {{"sub/quiz.vxm"}, "Vexlor Player - Test Module", "", true},
        {{"--fullscreen", "sub/quiz.vxm"}, "Vexlor Player - Test Module", "", true, true},
        {{(start.path() / "junk.vxm").string()},
         "Vexlor Player - ",
         "junk.vxm\nNot a Valid Module",
         false},
        // Names that reach no file say so, as the authoring tool does.
        {{"gone.vxm"}, "Vexlor Player - ", "gone.vxm\nNo such file", false},
        {{"pipe.vxm"}, "Vexlor Player - ", "pipe.vxm\nA named pipe, not a module file", false},
        {{deep + "q.vxm"},
         "Vexlor Player - ",
         "q.vxm\nThe path is too long to reach the file",
         false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        QString title, message;
        bool startOffered = false, fullScreen = false, withIcon = false;
        drive = [&](MainWindow& window) {
            withIcon = !QApplication::windowIcon().isNull();
            fullScreen = window.isFullScreen();
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) message = box->text(), box->accept();
            startOffered = window.widgetFor(QStringLiteral("Start"))->isVisible();
            if (box == nullptr && (*c.message != '\0' || startOffered != c.startOffered))
                return false;
            QTimer::singleShot(0, &window, [&] {
                title = window.windowTitle();
                clickWidget(window.widgetFor(QStringLiteral("Sortie")));
            });
            return true;
        };
        EXPECT_EQ(runIn(start.path(), c.arguments), 0);
        EXPECT_FALSE(forcedToQuit);
        EXPECT_EQ(title, QString::fromLatin1(c.title));
        EXPECT_EQ(message, QString::fromLatin1(c.message));
        EXPECT_EQ(startOffered, c.startOffered);
        EXPECT_EQ(fullScreen, c.fullScreen);
        EXPECT_TRUE(withIcon);
    }
    // As desktop/ installs it (the install test has the desktop's own tools read that file),
    // with the icon's source added.
    std::string registered =
        vexlor::testing::readBytes(data.path() / "mime/packages/x-vxmfile.xml");
    const auto source = registered.find("    <!-- icon source: ");
    ASSERT_NE(source, std::string::npos);
    registered.erase(source, registered.find('\n', source) + 1 - source);
    EXPECT_EQ(registered, vexlor::testing::readBytes(VEXLOR_SOURCE_DIR "/desktop/x-vxmfile.xml"));
}

// Help and the version are printed where no display exists; a second file or an unknown
// option is refused with the usage and status 2, before any window.
TEST_F(GameStart, ArgumentsAreReadBeforeAnyDisplayIsNeeded) {
    // Were a window system needed, this one (with no display to reach) would end the program.
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    const struct {
        std::vector<std::string> arguments;
        int code;
        const char* printed;  // on standard output for code 0, else on standard error
    } cases[] = {
        {{"--help"}, 0, "Usage: vexlor [--fullscreen] [--from-menu] [MODULE.vxm]\n"},
        {{"--version"}, 0, "vexlor (Vexlor Player) " VEXLOR_VERSION "\n"},
        {{"a.vxm", "b.vxm"}, 2, "vexlor: one module at a time: b.vxm\nUsage: vexlor"},
        {{"-platform", "offscreen"}, 2, "vexlor: unknown option -platform\nUsage: vexlor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(runIn(start.path(), c.arguments), c.code);
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE((c.code == 0 ? out : err).starts_with(c.printed)) << out << err;
        EXPECT_TRUE((c.code == 0 ? err : out).empty());
    }
}

}  // namespace
}  // namespace vexlor::ui
