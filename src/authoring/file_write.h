#pragma once

// Files the authoring tools write that are not modules: exported questions.

#include <filesystem>
#include <string_view>

#include "base/result.h"

namespace vexlor::authoring {

/// Makes `target` a file holding exactly `content`. The content goes to a hidden temporary
/// file in the target's folder, is flushed to the disk, and is then renamed over the target:
/// the target is never truncated, so a failure at any point leaves it as it was, and no
/// temporary file behind. A symbolic link is followed, and the file it names replaced; a file
/// replaced keeps its permissions.
///
/// Refused: a target that is a folder, a pipe, a device or a socket; and, when `source` is
/// given, a target that is the very file `source` is (the same device and inode, so a hard
/// link, a symbolic link or another spelling of its path is refused too), with `sourceRole`
/// naming it in the message ("the module").
Status writeWholeFile(const std::filesystem::path& target, std::string_view content,
                      const std::filesystem::path& source = {},
                      std::string_view sourceRole = "the file read");

}  // namespace vexlor::authoring
