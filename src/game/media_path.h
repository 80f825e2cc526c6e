#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vexlor::game {

/// The file a question's `Audio` text names inside the module's folder, or nothing.
///
/// Modules made on Windows write `\` between folders and may differ from the files on disk in
/// letter case: a backslash separates folders like a slash, and where no entry has the exact
/// name, one that differs only in ASCII letter case is taken (the first in sorted order).
/// The text can never leave `folder`: an absolute path, a drive name or a `..` gives nothing.
/// `folder` ends with a separator.
std::optional<std::string> findMedia(const platform::FileSystem& fileSystem,
                                     const std::string& folder, std::string_view audio);

}  // namespace vexlor::game
