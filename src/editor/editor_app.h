#pragma once

#include <QApplication>
#include <functional>

class QWidget;

namespace vexlor::editor {

class Prompts;

/// Runs `deliver`, the delivery of one event. Whatever it throws is shown through `prompts`
/// over `parent` and the event counts as not handled: nothing leaves the event loop, so the
/// window and the document it holds stay open, and the author can save.
bool deliverGuarded(const std::function<bool()>& deliver, Prompts& prompts, QWidget* parent);

/// The editor's application: every event is delivered through deliverGuarded.
class EditorApplication final : public QApplication {
  public:
    EditorApplication(int& argc, char** argv, Prompts& prompts)
        : QApplication(argc, argv), prompts_(prompts) {}
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    Prompts& prompts_;
};

/// Starts the module editor: reads the command line, makes the application and the window, and
/// returns the event loop's exit code.
int runEditor(int argc, char** argv);

}  // namespace vexlor::editor
