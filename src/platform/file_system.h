#pragma once

#include <string>
#include <vector>

namespace vexlor::platform {

/// The few questions the program asks of the file system.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    /// The name, without its folder, of the file at `path`; empty when there is none.
    virtual std::string fileName(const std::string& path) const = 0;
    /// The current folder, without a trailing separator.
    virtual std::string currentFolder() const = 0;
    /// The names of the entries of a folder, sorted; empty when it cannot be listed.
    virtual std::vector<std::string> folderEntries(const std::string& folder) const = 0;
    /// The absolute path with every symbolic link followed; empty when nothing is there.
    virtual std::string realPath(const std::string& path) const = 0;
};

/// The real file system.
class StdFileSystem final : public FileSystem {
  public:
    std::string fileName(const std::string& path) const override;
    std::string currentFolder() const override;
    std::vector<std::string> folderEntries(const std::string& folder) const override;
    std::string realPath(const std::string& path) const override;
};

}  // namespace vexlor::platform
