#include "editor/editor_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "editor/editor_window.h"
#include "editor/prompts.h"
#include "editor/recovery.h"
#include "platform/sdl_sound_player.h"
#include "text/i18n.h"
#include "ui/translations.h"
#include "ui/widgets.h"

namespace vexlor::editor {

namespace {

// The options' names stay as typed; what they do is said in the user's language.
std::string usage(const std::string& program) {
    // TRANSLATORS: the first line of "vexlor-editor --help"; %1 is the program's name.
    return i18n::fill(i18n::tx("Usage: %1 [MODULE.vxm]"), {program}) + '\n' +
           i18n::tx(
               "Makes and mends Vexlor question modules, with MODULE.vxm open when it is "
               "named.") +
           '\n' + "  -h, --help     " + i18n::tx("show this help and end") + '\n' +
           "      --version  " + i18n::tx("show the version and end") + '\n';
}

}  // namespace

bool deliverGuarded(const std::function<bool()>& deliver, Prompts& prompts, QWidget* parent) {
    QString why;
    try {
        return deliver();
    } catch (const std::exception& error) {
        why = QString::fromLocal8Bit(error.what());
    } catch (...) {
        why = QObject::tr("an unknown error");
    }
    // The warning runs an event loop of its own: a failure inside it is not reported again.
    static bool reporting = false;
    if (!reporting) {
        reporting = true;
        prompts.warn(parent, QObject::tr("Vexlor Module Editor"),
                     QObject::tr("This action stopped on an internal error (%1). The module "
                                 "and your changes stay open here: save them before going on.")
                         .arg(why));
        reporting = false;
    }
    return false;
}

bool EditorApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); }, prompts_,
                          activeWindow());
}

int runEditor(int argc, char** argv) {
    ui::chooseLanguage();
    // Read before the application exists: --help and --version need no display.
    const std::string program =
        argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "vexlor-editor";
    std::string module;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnd && argument == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && (argument == "--help" || argument == "-h")) {
            std::cout << usage(program);
            return 0;
        } else if (!optionsEnd && argument == "--version") {
            std::cout << "vexlor-editor (Vexlor Player) " << VEXLOR_VERSION << '\n';
            return 0;
        } else if (!optionsEnd && argument.size() > 1 && argument.starts_with('-')) {
            std::cerr << i18n::fill(i18n::tx("%1: unknown option %2"), {program, argument}) << '\n'
                      << usage(program);
            return 2;
        } else if (!module.empty() || argument.empty()) {
            std::cerr << i18n::fill(i18n::tx("%1: one module at a time"), {program}) << '\n'
                      << usage(program);
            return 2;
        } else {
            module = argument;
        }
    }

    // The window system is handed no arguments: they have all been read above.
    static char fallbackName[] = "vexlor-editor";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 ? argv[0] : fallbackName, nullptr};
    QtPrompts prompts;
    EditorApplication application(qtArgc, qtArgv, prompts);
    ui::installTranslations(application);
    QApplication::setOrganizationName(QStringLiteral("Vexlor"));
    QApplication::setApplicationName(QStringLiteral("Vexlor Module Editor"));
    QApplication::setApplicationVersion(QStringLiteral(VEXLOR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vexlor.ModuleEditor"));
    QApplication::setWindowIcon(ui::applicationIcon());

    platform::SdlSoundPlayer sound;
    EditorWindow window(prompts, sound);
    const std::filesystem::path recoveryFolder = authoring::recoveryFolder();
    if (!recoveryFolder.empty()) window.keepRecovery(recoveryFolder);
    window.show();
    // Once the event loop runs, so the boxes stand over the window: unsaved changes an editor
    // left come first, then the module named, else the last one opened.
    const QString path = module.empty()
                             ? QString()
                             : QFileInfo(QString::fromLocal8Bit(module.c_str())).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, &prompts, path, recoveryFolder] {
        const bool recovered =
            !recoveryFolder.empty() && offerRecovery(window, prompts, recoveryFolder);
        const bool shown = recovered && window.document() &&
                           QFileInfo(QString::fromStdString(window.document()->path().string())) ==
                               QFileInfo(path);
        if (!path.isEmpty()) {
            if (!shown) window.openModule(path);
        } else if (!recovered) {
            const QString last =
                QSettings().value(QStringLiteral("recentFiles")).toStringList().value(0);
            if (!last.isEmpty() && QFileInfo(last).isFile()) window.openModule(last);
        }
    });
    return QApplication::exec();
}

}  // namespace vexlor::editor
