#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace vexlor::platform {

/// The folder holding the running program's executable; empty when it cannot be told.
std::filesystem::path executableFolder();

/// The installed data of a program in `executableFolder`: "../share/vexlor" beside it, as a
/// package, a user prefix and an unpacked tree all lay it out; nothing when it is not there
/// (a program run from its build folder).
std::optional<std::filesystem::path> installedDataFolder(
    const std::filesystem::path& executableFolder);

/// Where the programs' translation catalogs are: "locale" in the installed data folder, or, for
/// a program run from a build tree (a folder with CMakeCache.txt at most three folders above
/// its own), the catalogs built there. Empty when there are none: every text is then English.
std::filesystem::path catalogFolder(const std::filesystem::path& executableFolder);

/// The player's own modules folder: "<data home>/vexlor/modules".
std::filesystem::path playerModulesFolder(const std::filesystem::path& dataHome);

/// What copying the sample modules did, file by file (names without their folder).
struct SampleCopy {
    std::vector<std::string> copied;  ///< copied now
    std::vector<std::string> kept;    ///< already there, left exactly as they were
    std::vector<Error> failed;        ///< could not be copied; the others were
};

/// Copies every regular file of `samples` (the modules, their media and the module icon) into
/// `folder`, making it when needed. A name already taken in `folder`, by anything, is never
/// replaced: the player's top ten is in the module there. Each file is written under a hidden
/// temporary name in `folder`, synced, and only then renamed to its own name, so a copy that
/// stops half-way (a full disk, a killed program) leaves no part of a file under the real name;
/// the next copy starts that file again. `afterEachBlock` runs after every block written.
/// Fails as a whole, copying nothing, when `folder` cannot be made or written.
Result<SampleCopy> copySampleModules(const std::filesystem::path& samples,
                                     const std::filesystem::path& folder,
                                     const std::function<void()>& afterEachBlock = {});

/// Where the game started from the menu takes its modules from, and what the player is told.
struct ModulesHome {
    std::filesystem::path folder;  ///< the folder to start in; empty: stay where started
    std::string problem;           ///< a message for the player, or empty
};

/// Brings the installed sample modules (beside `executableFolder`) into the player's modules
/// folder under `dataHome` and chooses that folder. When it cannot be written, or there is no
/// data home at all, the installed samples are chosen instead, read-only, and `problem` says why.
ModulesHome preparePlayerModules(const std::filesystem::path& executableFolder,
                                 const std::optional<std::filesystem::path>& dataHome);

}  // namespace vexlor::platform
