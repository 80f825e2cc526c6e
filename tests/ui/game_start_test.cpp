// The game as its executable starts it: start-up runs, the window shows, and Exit ends it.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QXmlStreamReader>
#include <filesystem>

#include "../support/fakes.h"
#include "ui/game.h"
#include "ui/main_window.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

namespace fs = std::filesystem;

struct Seen {
    bool windowShown = false;
    QString title;
    QColor stripPixel;
    bool exitClicked = false;
    bool forcedToQuit = false;
};
Seen seen;

// Runs inside the game's own event loop once the application exists: waits for the main
// window, looks at it, then presses Exit as the player does.
void driveTheGame() {
    auto* poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<MainWindow*>(widget);
            if (window == nullptr || !window->isVisible()) continue;
            poll->stop();
            seen.windowShown = true;
            seen.title = window->windowTitle();
            const QImage shot = window->grab().toImage();
            seen.stripPixel = shot.pixelColor(shot.width() - 3, shot.height() - 3);
            auto* exit = window->findChild<QAbstractButton*>(QStringLiteral("Sortie"));
            if (exit == nullptr) return;
            clickWidget(exit);
            seen.exitClicked = true;
            return;
        }
    });
    poll->start();
    // A game that never shows its window, or that Exit does not end, is ended here.
    QTimer::singleShot(15000, [] {
        seen.forcedToQuit = true;
        QCoreApplication::exit(99);
    });
}
Q_COREAPP_STARTUP_FUNCTION(driveTheGame)

// Start-up registers the module type under XDG_DATA_HOME, shows the idle window and the game
// ends with code 0 through Exit.
TEST(Game, StartsShowsItsWindowAndEndsThroughExit) {
    vexlor::testing::TempFolder data, start;
    fs::copy_file(VEXLOR_ICON, start.path() / "VXM.ico");
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path before = fs::current_path();
    fs::current_path(start.path());

    static char name[] = "vexlor";
    char* argv[] = {name, nullptr};
    const int code = runGame(1, argv);
    fs::current_path(before);

    EXPECT_EQ(code, 0);
    EXPECT_TRUE(seen.windowShown);
    EXPECT_TRUE(seen.exitClicked);
    EXPECT_FALSE(seen.forcedToQuit);
    EXPECT_EQ(seen.title, QStringLiteral("Vexlor Player - "));
    EXPECT_EQ(seen.stripPixel, QColor(0xC0, 0xC0, 0xC0));

    // The registration of the first start, read with an XML parser.
    QFile package(QString::fromStdString((data.path() / "mime/packages/x-vxmfile.xml").string()));
    ASSERT_TRUE(package.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&package);
    QStringList globs;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"glob")
            globs << xml.attributes().value(QStringLiteral("pattern")).toString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(globs, QStringList{QStringLiteral("*.vxm")});
}

}  // namespace
}  // namespace vexlor::ui
