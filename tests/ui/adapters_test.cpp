// The Qt file dialog, message box and timers as the window's routines use them, offscreen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <fstream>

#include "support/fakes.h"
#include "ui/qt_adapters.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

// The open dialog starts in the asked folder with the filter's shown part, and returns the
// chosen file, or nothing when cancelled.
TEST(QtFileDialog, OpensInTheInitialFolderWithTheFilterAndReturnsTheChoice) {
    application();
    vexlor::testing::TempFolder folder;
    std::ofstream(folder.file("quiz.vxm")) << "x";
    QtFileDialog adapter;
    const platform::OpenFileRequest request{"Open Vexlor Module", "Vexlor Module (*.vxm)|*.vxm",
                                            0x140C, folder.path().string()};
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath(),
                  QString::fromStdString(folder.path().string()));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Vexlor Module (*.vxm)")});
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile(QStringLiteral("quiz.vxm"));
        static_cast<QDialog*>(dialog)->accept();  // public in QDialog
    });
    EXPECT_EQ(adapter.showOpen(request), folder.file("quiz.vxm"));
    whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(adapter.showOpen(request), std::nullopt);
}

// The message box shows each part on its own line, as plain text, and once it closes the window
// behind has the keyboard again (the game is played from the keyboard too).
TEST(QtMessageBox, ShowsEachPartOnALineWithAWarningIconAndOneButton) {
    application();
    QWidget behind;
    behind.show();
    behind.activateWindow();
    QtMessageBox adapter;
    adapter.setParent(&behind);
    whenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Open Vexlor Module"));
        EXPECT_EQ(box->text(), QStringLiteral("<b>quiz.vxm</b>\nNot a Valid Module"));
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->accept();
    });
    adapter.show("<b>quiz.vxm</b>\rNot a Valid Module", 48, "Open Vexlor Module");
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &behind);
}

// Lets the event loop run until `done` holds or the time is up.
bool runEventsUntil(const std::function<bool()>& done, int milliseconds = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// A timer ticks until it switches itself off, the window is drawn after each tick, and a timer
// switched on while it already runs keeps its rhythm: the interval is not restarted.
TEST(QtTimerDriver, TicksAnEnabledTimerInItsRhythmAndDrawsAfterEachTick) {
    application();
    int draws = 0, ticks = 0;
    QtTimerDriver driver([&draws] { ++draws; });
    platform::Timer timer("t", 5);
    timer.setHandler([&] {
        if (++ticks == 3) timer.setEnabled(false);
    });
    timer.attach(&driver);
    timer.setEnabled(true);
    ASSERT_TRUE(runEventsUntil([&] { return ticks >= 3; }));
    runEventsUntil([] { return false; }, 100);  // time for a stray tick to show
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(draws, 3);

    platform::Timer slow("slow", 600);
    QElapsedTimer clock;
    qint64 tickedAt = -1;
    slow.setHandler([&] { tickedAt = clock.elapsed(), slow.setEnabled(false); });
    slow.attach(&driver);
    clock.start();
    slow.setEnabled(true);
    runEventsUntil([] { return false; }, 400);
    slow.setEnabled(true);  // a restart would move the tick to 1000 ms
    ASSERT_TRUE(runEventsUntil([&] { return tickedAt >= 0; }, 3000));
    EXPECT_LT(tickedAt, 900);
}

}  // namespace
}  // namespace vexlor::ui
