#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDevice>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "support/language.h"
#include "ui/translations.h"

namespace vexlor::ui {

/// The one application object of the ui tests, made on first use and destroyed when the tests
/// end, before the exit handlers: torn down among them it would delete its input devices after
/// the window system.
inline QApplication& application() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    // The device registry is made first so it outlives the application, which deletes the
    // keyboard a typed key creates; the other way round the program crashes at exit.
    [[maybe_unused]] static const auto devices = QInputDevice::devices();
    static QApplication* app = nullptr;
    if (app == nullptr) {
        // Drawn offscreen, on a projector's screen that the full-screen test fills, whatever
        // the environment says: without a display the window system would end the whole
        // program at the first test.
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" VEXLOR_SOURCE_DIR "/tests/ui/offscreen-1920x1080.json");
        app = new QApplication(argc, argv);
        struct Teardown : ::testing::Environment {
            void TearDown() override { delete app, app = nullptr; }
        };
        ::testing::AddGlobalTestEnvironment(new Teardown);
    }
    return *app;
}

/// A base made first, so the application stands before any widget of a fixture.
struct WithApplication {
    WithApplication() { application(); }
};

/// The windows, Qt's own included, in `language` (see testing::InLanguage) while it lives, and
/// in the test program's language again afterwards.
class WindowsInLanguage {
  public:
    explicit WindowsInLanguage(const std::string& language) {
        chosen_.emplace(language);
        installTranslations(application());
    }
    ~WindowsInLanguage() {
        chosen_.reset();
        installTranslations(application());
    }
    WindowsInLanguage(const WindowsInLanguage&) = delete;
    WindowsInLanguage& operator=(const WindowsInLanguage&) = delete;

  private:
    std::optional<vexlor::testing::InLanguage> chosen_;
};

/// Runs `answer` on the modal window of type `Window` once it is up.
template <typename Window>
void whenShown(std::function<void(Window*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        answer(window);
    });
}

/// Sends a mouse press or release to a widget, as the window system delivers them. (QTest's own
/// mouse device outlives the application object and crashes the program at exit.)
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? button : Qt::NoButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

/// A press and a release at the centre of a widget, or at `at` inside it.
inline void clickWidget(QWidget* widget, std::optional<QPoint> at = std::nullopt,
                        Qt::MouseButton button = Qt::LeftButton) {
    const QPoint point = at.value_or(widget->rect().center());
    sendMouse(widget, QEvent::MouseButtonPress, point, button);
    sendMouse(widget, QEvent::MouseButtonRelease, point, button);
}

}  // namespace vexlor::ui
