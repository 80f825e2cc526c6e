#pragma once

// Modules in the earlier stored format: Jet database files (versions 3 and 4) protected by the
// module password. What can be told of one without a database library, by reading its first
// page, and how a converted module takes its place with the original kept beside it.
//
// Reading their tables needs a library that parses the whole file; that runs only in the
// module tool, which the game and the editor start as a child process.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "base/result.h"

namespace vexlor::modules {

/// What the first page of a Jet database says.
struct JetHeader {
    int version = 0;                ///< 3 or 4; 0 for a later version no module was made in
    bool modulePassword = false;    ///< its database password is the module password
    std::uint32_t databaseKey = 0;  ///< non-zero: its pages are encoded with this key
    std::uint16_t codePage = 0;     ///< of its texts (version 3)
};

/// The file's first bytes this reader looks at.
inline constexpr std::size_t kJetHeaderBytes = 0x18 + 128;

/// The header, when `bytes` (the start of a file) are the start of a Jet database; nothing for
/// any other file. Reads no more than kJetHeaderBytes.
std::optional<JetHeader> parseJetHeader(std::span<const unsigned char> bytes);

/// The same for the file at `path`: nothing when it is not a readable plain file (a folder, a
/// pipe, a device) or not a Jet database.
std::optional<JetHeader> readJetHeader(const std::string& path);

/// Whether the file is a module in the earlier format that the program converts: a Jet 3 or 4
/// database with the module password.
bool isEarlierModule(const std::string& path);

/// "Jet 3", "Jet 4", or the later format's description.
std::string jetVersionName(const JetHeader& header);

/// The name the original of a converted module is kept under, in its folder: "Quiz.vxm.jet",
/// or "Quiz.vxm.2.jet", "Quiz.vxm.3.jet"... when that is taken. Never ends in ".vxm", so the
/// game's Open and the file manager do not offer it as a module.
std::filesystem::path backupPathFor(const std::filesystem::path& module);

/// Keeps the original of a module about to be replaced under backupPathFor's name, which is
/// given back: linked (or, where the file system has no links, copied and synced), never over
/// an existing file. `original` itself is not changed.
Result<std::filesystem::path> keepOriginal(const std::filesystem::path& original);

/// Puts the converted module `converted` (a complete file in the same folder) in the place of
/// `original` and keeps the original under backupPathFor's name, which is given back. The
/// original is first linked (or, where the file system has no links, copied and synced) to its
/// new name, never over an existing file; only then is the converted module renamed over it.
/// A failure at any step leaves `original` as it was; `converted` is then left for the caller.
Result<std::filesystem::path> placeConverted(const std::filesystem::path& converted,
                                             const std::filesystem::path& original);

/// Why a module in the earlier format cannot be converted where it lies, or nothing when it can:
/// its folder must take new files and the file itself must be writable.
std::optional<Error> conversionBlocked(const std::filesystem::path& original);

}  // namespace vexlor::modules
