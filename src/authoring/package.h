#pragma once

// A module and the media it uses in one zip file, to send by mail or carry on a stick, and
// that file unpacked again. A package comes from anyone: unpacking reads it as hostile.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/result.h"

namespace vexlor::authoring {

/// What unpacking accepts of a package; more is refused before or while it is written.
struct PackageLimits {
    std::size_t entries = 40000;                        ///< files and folders
    std::uintmax_t moduleBytes = 512ull * 1024 * 1024;  ///< the module, unpacked
    std::uintmax_t mediaBytes = 64ull * 1024 * 1024;    ///< each media file, unpacked
    std::uintmax_t totalBytes = 1536ull * 1024 * 1024;  ///< everything unpacked, and the package
};

/// What packing did.
struct Packed {
    std::size_t media = 0;  ///< media files packed
    /// Media names that gave no file to pack, one per question (see surveyMedia).
    std::vector<std::string> left;
};

/// Writes the zip `out` holding the module (under its own file name) and every media file its
/// questions use, each under its name relative to the module's folder. The zip is made under a
/// hidden name beside `out` and put in place only when complete; an existing `out` is replaced
/// only when `replace`. A media file that cannot be packed (past the size limits, unreadable)
/// refuses the whole package.
Result<Packed> packModule(const std::filesystem::path& module, const std::filesystem::path& out,
                          bool replace);

/// What unpacking did.
struct Unpacked {
    std::filesystem::path module;  ///< the module unpacked
    std::size_t files = 0;         ///< files written, the module included
    /// Entries left out, with why: files that are neither the module nor a picture or sound.
    std::vector<std::string> skipped;
};

/// Unpacks the package `zip` into `folder` (made when missing). Refused, with nothing
/// written: a name that is absolute, holds "..", a backslash or a control character; a link
/// or any entry but a file or a folder; an encrypted entry or an unknown compression; not
/// exactly one module; an entry or the whole past the limits, by the sizes claimed and by the
/// bytes actually unpacked; a damaged entry; any name already in `folder`, as nothing is ever
/// replaced. Everything is unpacked into a hidden folder first and put in place only when
/// complete.
Result<Unpacked> unpackPackage(const std::filesystem::path& zip,
                               const std::filesystem::path& folder,
                               const PackageLimits& limits = {});

}  // namespace vexlor::authoring
