#pragma once

// The fuzzed bytes as a module file: the program opens modules by path, so every input is
// written to the same place in a folder of the fuzzer's own, with no journal left beside it.

#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vexlor::fuzzing {

class ScratchModule {
  public:
    ScratchModule() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vexlor-fuzz-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        path_ = (folder_ / "module.vxm").string();
    }
    ~ScratchModule() {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    ScratchModule(const ScratchModule&) = delete;
    ScratchModule& operator=(const ScratchModule&) = delete;

    /// Writes the input as the module file, after removing whatever the last input left.
    const std::string& write(const std::uint8_t* data, std::size_t size) {
        clear();
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return path_;
    }

    /// The module file as it is now.
    std::string bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    /// Removes everything in the folder: the module and any journal, WAL or output file.
    void clear() {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder_, error))
            std::filesystem::remove_all(entry.path(), error);
    }

    const std::string& path() const { return path_; }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
    std::string path_;
};

/// Hands the page cache a (tiny) buffer of its own, which stops it from allocating and touching
/// a fresh block of pages for every connection: with the sanitizer's allocator that block was a
/// new mapping each time, and its page faults took half of every run. Pages still come from
/// malloc one by one, so the sanitizer sees every access.
inline void smallPageCacheStart() {
    alignas(8) static char slot[64];
    sqlite3_config(SQLITE_CONFIG_PAGECACHE, slot, static_cast<int>(sizeof slot), 1);
}

/// One folder for the whole run: the fuzzer calls the target millions of times.
inline ScratchModule& scratch() {
    static ScratchModule module;
    return module;
}

}  // namespace vexlor::fuzzing
