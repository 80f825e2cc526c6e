#include "ui/game.h"

#include <QApplication>
#include <random>

#include "app/master_form.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/file_types.h"
#include "platform/random.h"
#include "platform/sdl_sound_player.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"

namespace vexlor::ui {

int runGame(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexlor Player"));

    platform::SystemClock clock;
    platform::MixingRandom random((std::uint64_t{std::random_device{}()} << 32) |
                                  std::random_device{}());
    platform::StdFileSystem fileSystem;
    platform::FreedesktopFileTypes fileTypes(
        platform::FreedesktopFileTypes::dataHomeFromEnvironment());
    QtFileDialog fileDialog;
    QtMessageBox messageBox;
    QtWindows windows;
    platform::SdlSoundPlayer soundPlayer;
    QtPictureLoader pictureLoader;

    app::MasterForm form({clock, random, fileDialog, messageBox, windows, fileTypes, fileSystem,
                          soundPlayer, pictureLoader});
    MainWindow window(form);
    fileDialog.setParent(&window);
    messageBox.setParent(&window);
    windows.setMainWindow(&form, &window);
    QtTimerDriver timerDriver([&window] { window.render(); });
    for (platform::Timer* timer : form.timers()) timer->attach(&timerDriver);

    form.Form_Load();
    window.render();
    window.show();
    return QApplication::exec();
}

}  // namespace vexlor::ui
