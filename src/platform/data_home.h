#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace vexlor::platform {

/// The folder the player's own data goes in, as the XDG base-directory rules place it:
/// $XDG_DATA_HOME, else "<home>/.local/share". Only absolute folders count: a relative or empty
/// XDG_DATA_HOME is ignored, and a HOME that is unset, empty or relative gives way to the home the
/// password database names for this user. Nothing when there is no home at all: the caller
/// then writes nowhere, never relative to the current folder.
std::optional<std::filesystem::path> dataHome();

/// The folder for state worth keeping between runs (recovery copies): $XDG_STATE_HOME, else
/// "<home>/.local/state", home found as for dataHome.
std::optional<std::filesystem::path> stateHome();

/// The same rule over given values (null: unset); `accountHome` is asked only when HOME does not
/// serve.
std::optional<std::filesystem::path> dataHome(
    const char* xdgDataHome, const char* home,
    const std::function<std::optional<std::string>()>& accountHome);

}  // namespace vexlor::platform
