#pragma once

#include <string>

namespace vexlor::platform {

/// The few questions the program asks of the file system.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    /// The name, without its folder, of the file at `path`; empty when there is none.
    virtual std::string fileName(const std::string& path) const = 0;
    /// The current folder, without a trailing separator.
    virtual std::string currentFolder() const = 0;
};

/// The real file system.
class StdFileSystem final : public FileSystem {
  public:
    std::string fileName(const std::string& path) const override;
    std::string currentFolder() const override;
};

}  // namespace vexlor::platform
