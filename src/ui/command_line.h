#pragma once

#include <string>
#include <vector>

namespace vexlor::ui {

/// What the game was asked to do by its arguments.
struct CommandLine {
    enum class Action { Play, Help, Version, Misuse };
    Action action = Action::Play;
    std::string module;       ///< the module to open at start, when one was named
    bool fullScreen = false;  ///< start filling the screen
    bool fromMenu = false;    ///< started by the menu entry: play from the player's own modules
    std::string problem;      ///< why the arguments were refused (Misuse)
};

/// Reads the arguments after the program name. Only the game's own options are known: the
/// window system's are left to its environment variables, so that a file name can never be
/// taken for one.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

/// The lines printed for --help and after a refused command line.
std::string usageText(const std::string& program);

}  // namespace vexlor::ui
