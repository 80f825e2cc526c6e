#pragma once

namespace vexlor::editor {

/// Starts the module editor: reads the command line, makes the application and the window, and
/// returns the event loop's exit code.
int runEditor(int argc, char** argv);

}  // namespace vexlor::editor
