#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/result.h"

namespace vexlor::authoring {

/// The folder, inside a module's folder, that chosen media files are copied into.
inline constexpr std::string_view kMediaFolder = "media";
/// Larger media files are refused: no picture or sound of a question needs more.
inline constexpr std::uintmax_t kMaxMediaBytes = 64u * 1024 * 1024;

/// Copies a picture or sound into `moduleFolder`/media/ and gives the name a question's Audio
/// field takes: "media/NAME", relative to the module's folder. NAME is `name` (or the source's
/// file name when empty) with a number added before its ending when a different file has it
/// already; a file there with the same bytes is used as it is. Only a plain file of at most
/// kMaxMediaBytes is copied: a folder, a pipe, a device or a socket is refused without being
/// read from, and a name whose ending the game neither shows nor plays is refused with the
/// endings it does. The copy appears whole or not at all.
Result<std::string> copyMedia(const std::filesystem::path& source,
                              const std::filesystem::path& moduleFolder,
                              std::string_view name = {});

}  // namespace vexlor::authoring
