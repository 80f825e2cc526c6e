#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vexlor::authoring {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;     ///< the work failed, or check found problems
inline constexpr int kExitUsage = 2;       ///< the command line is wrong
inline constexpr int kExitNotAModule = 3;  ///< convert: the file is no module the game would take

/// Runs the tool on its arguments (the program name left out): results go to `out`, errors to
/// `err`. Gives the exit status and throws nothing.
int runTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace vexlor::authoring
