#include "ui/game.h"

#include "modules/module_converter.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "app/master_form.h"
#include "platform/clock.h"
#include "platform/data_home.h"
#include "platform/file_system.h"
#include "platform/file_types.h"
#include "platform/random.h"
#include "platform/sample_modules.h"
#include "platform/sdl_sound_player.h"
#include "ui/command_line.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"
#include "ui/translations.h"
#include "ui/widgets.h"

namespace vexlor::ui {

int runGame(int argc, char** argv) {
    chooseLanguage();
    // Read before the application exists: --help and --version need no display.
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "vexlor";
    const CommandLine line =
        parseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    switch (line.action) {
        case CommandLine::Action::Help:
            std::cout << usageText(program);
            return 0;
        case CommandLine::Action::Version:
            std::cout << "vexlor (Vexlor Player) " << VEXLOR_VERSION << '\n';
            return 0;
        case CommandLine::Action::Misuse:
            std::cerr << program << ": " << line.problem << '\n' << usageText(program);
            return 2;
        case CommandLine::Action::Play:
            break;
    }

    // The path is made absolute as the dialog's are (the module's media are found from it),
    // before the game may move to the player's modules folder.
    std::string module = line.module;
    if (!module.empty()) {
        std::error_code error;
        const auto path = std::filesystem::absolute(line.module, error);
        if (!error) module = path.string();
    }
    // From the menu the game plays in the player's own modules folder, where the installed
    // samples are copied; the folder the game is in is its modules' home.
    const std::optional<std::filesystem::path> dataHome = platform::dataHome();
    std::string modulesProblem;
    if (line.fromMenu) {
        const platform::ModulesHome home =
            platform::preparePlayerModules(platform::executableFolder(), dataHome);
        modulesProblem = home.problem;
        if (!modulesProblem.empty()) std::cerr << program << ": " << modulesProblem << '\n';
        std::error_code error;
        if (!home.folder.empty()) std::filesystem::current_path(home.folder, error);
    }

    // The window system is handed no arguments: they have all been read above.
    static char fallbackName[] = "vexlor";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 ? argv[0] : fallbackName, nullptr};
    QApplication application(qtArgc, qtArgv);
    installTranslations(application);
    QApplication::setApplicationName(QStringLiteral("Vexlor Player"));
    // Every window, the message and file windows too, shows the program's icon.
    QApplication::setWindowIcon(applicationIcon());

    platform::SystemClock clock;
    platform::MixingRandom random((std::uint64_t{std::random_device{}()} << 32) |
                                  std::random_device{}());
    platform::StdFileSystem fileSystem;
    platform::FreedesktopFileTypes fileTypes(dataHome);
    QtFileDialog fileDialog;
    QtMessageBox messageBox;
    QtWindows windows;
    platform::SdlSoundPlayer soundPlayer;
    QtPictureLoader pictureLoader;
    modules::ChildModuleConverter moduleConverter(
        modules::moduleToolFor(platform::executableFolder()));

    app::MasterForm form({clock, random, fileDialog, messageBox, windows, fileTypes, fileSystem,
                          soundPlayer, pictureLoader, moduleConverter});
    MainWindow window(form);
    fileDialog.setParent(&window);
    messageBox.setParent(&window);
    windows.setMainWindow(&form, &window);
    QtTimerDriver timerDriver([&window] { window.render(); });
    for (platform::Timer* timer : form.timers()) timer->attach(&timerDriver);

    form.Form_Load();
    window.render();
    if (line.fullScreen)
        window.setFullScreen(true);
    else
        window.show();
    if (!modulesProblem.empty()) {
        QTimer::singleShot(0, &window, [&messageBox, modulesProblem] {
            messageBox.show(modulesProblem, platform::message_style::kExclamation, "Vexlor Player");
        });
    }
    if (!module.empty()) {
        // Opened once the event loop runs, so a refusal's message stands over the window.
        QTimer::singleShot(0, &window, [&form, &window, module] {
            form.openNamedModule(module);
            window.render();
        });
    }
    return QApplication::exec();
}

}  // namespace vexlor::ui
