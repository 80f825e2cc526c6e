#pragma once

#include <QApplication>
#include <QInputDevice>

namespace vexlor::ui {

/// The one application object of the ui tests, made on first use.
inline QApplication& application() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    // The device registry is made first so it outlives the application, which deletes the
    // keyboard a typed key creates; the other way round the program crashes at exit.
    [[maybe_unused]] static const auto devices = QInputDevice::devices();
    static QApplication app(argc, argv);
    return app;
}

}  // namespace vexlor::ui
