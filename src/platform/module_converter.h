#pragma once

#include <string>

#include "base/result.h"

namespace vexlor::platform {

/// Brings a module kept in the earlier stored format into the current one, in two steps so the
/// player can be asked in between: prepared (converted beside it, the original untouched), then
/// placed under the original's name, or discarded.
class ModuleConverter {
  public:
    struct Prepared {
        std::string converted;  ///< the complete new module, under a hidden name beside it
        std::string backup;     ///< the name the original is to be kept under
    };

    virtual ~ModuleConverter() = default;
    /// Whether the file is a module in the earlier format, with the module password.
    virtual bool isEarlierModule(const std::string& path) = 0;
    /// Converts it; kNotAModule when the game would not take it as a module (no title, no
    /// properties), any other failure with a sentence saying why.
    virtual Result<Prepared> prepare(const std::string& path) = 0;
    /// Puts the converted module in the original's place and keeps the original; gives the
    /// name the original is kept under.
    virtual Result<std::string> place(const std::string& path, const Prepared& prepared) = 0;
    /// Removes a converted module that is not used.
    virtual void discard(const Prepared& prepared) = 0;
    /// Whether the file is a package (a zip file), told by its first bytes.
    virtual bool isPackage(const std::string& /*path*/) { return false; }
    /// Unpacks a package (a module and its media in one zip file) into the folder `folder`,
    /// made for it; gives the module's path, or why the package was refused.
    virtual Result<std::string> unpackPackage(const std::string& /*zip*/,
                                              const std::string& /*folder*/) {
        return Error(ErrorKind::kFailed, "packages cannot be opened here");
    }
};

}  // namespace vexlor::platform
