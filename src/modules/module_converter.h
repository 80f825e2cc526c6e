#pragma once

#include <string>

#include "platform/child_process.h"
#include "platform/module_converter.h"

namespace vexlor::modules {

/// Converts with the module tool run as a child process ("convert OLD -o NEW"): the library
/// that reads the earlier format parses the whole file, and a damaged or crafted one that
/// crashes or hangs it ends that process, not this one.
class ChildModuleConverter final : public platform::ModuleConverter {
  public:
    explicit ChildModuleConverter(std::string tool, platform::ChildLimits limits = {})
        : tool_(std::move(tool)), limits_(limits) {}

    bool isEarlierModule(const std::string& path) override;
    bool isPackage(const std::string& path) override;
    Result<Prepared> prepare(const std::string& path) override;
    Result<std::string> place(const std::string& path, const Prepared& prepared) override;
    void discard(const Prepared& prepared) override;
    /// With the tool's "unpack ZIP -o FOLDER": a package is hostile input, read in another
    /// process as the earlier format is.
    Result<std::string> unpackPackage(const std::string& zip, const std::string& folder) override;
    /// Converts the module at `path` into a new file `out` (which must not exist), wherever it
    /// lies; the original is not touched. Failures as for prepare.
    Status convertTo(const std::string& path, const std::string& out);

  private:
    std::string tool_;
    platform::ChildLimits limits_;
};

/// The module tool that belongs with the program in `folder`: beside it (the build tree, a
/// prefix install), or in ../bin of it (a game installed among the games); empty when none is
/// found.
std::string moduleToolFor(const std::string& folder);

}  // namespace vexlor::modules
