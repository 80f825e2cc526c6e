#pragma once

namespace vexlor::ui {

/// Starts the game: makes the application and the main window, runs the start-up routine,
/// shows the window and returns the event loop's exit code when the player leaves.
int runGame(int argc, char** argv);

}  // namespace vexlor::ui
