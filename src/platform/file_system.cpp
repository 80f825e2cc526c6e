#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vexlor::platform {

namespace fs = std::filesystem;

std::string StdFileSystem::fileName(const std::string& path) const {
    if (path.empty()) return {};
    std::error_code error;
    const fs::path p(path);
    if (!fs::is_regular_file(p, error)) return {};
    return p.filename().string();
}

std::string StdFileSystem::currentFolder() const {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    return error ? std::string{} : here.string();
}

std::vector<std::string> StdFileSystem::folderEntries(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        names.push_back(entry->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string StdFileSystem::realPath(const std::string& path) const {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    return error ? std::string{} : real.string();
}

}  // namespace vexlor::platform
