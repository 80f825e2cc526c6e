#pragma once

#include <QApplication>

namespace vexlor::ui {

/// The one application object of the ui tests, made on first use.
inline QApplication& application() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace vexlor::ui
