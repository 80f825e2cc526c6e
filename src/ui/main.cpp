#include <QApplication>
#include <random>

#include "app/master_form.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/file_types.h"
#include "platform/random.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"

namespace {
// Stand-ins until the SDL sound player and the Qt picture loader land.
class NoSound final : public vexlor::platform::SoundPlayer {
  public:
    void SoundFile(const std::string&) override {}
    void Play() override {}
    void Stop() override {}
};
class NoPictures final : public vexlor::platform::PictureLoader {
  public:
    std::shared_ptr<const vexlor::platform::Picture> load(const std::string&) override {
        return nullptr;
    }
};
}  // namespace

int main(int argc, char** argv) {
    using namespace vexlor;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexlor Player"));

    platform::SystemClock clock;
    platform::MixingRandom random((std::uint64_t{std::random_device{}()} << 32) |
                                  std::random_device{}());
    platform::StdFileSystem fileSystem;
    platform::FreedesktopFileTypes fileTypes(
        platform::FreedesktopFileTypes::dataHomeFromEnvironment());
    ui::QtFileDialog fileDialog;
    ui::QtMessageBox messageBox;
    ui::QtWindows windows;
    NoSound soundPlayer;
    NoPictures pictureLoader;

    app::MasterForm form({clock, random, fileDialog, messageBox, windows, fileTypes, fileSystem,
                          soundPlayer, pictureLoader});
    ui::MainWindow window(form);
    fileDialog.setParent(&window);
    messageBox.setParent(&window);
    windows.setMainWindow(&form, &window);
    ui::QtTimerDriver timerDriver([&window] { window.render(); });
    for (platform::Timer* timer : form.timers()) timer->attach(&timerDriver);

    form.Form_Load();
    window.render();
    window.show();
    return QApplication::exec();
}
