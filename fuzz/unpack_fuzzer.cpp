// Feeds any file to the unpacking of a package (libzip's reading and our checks): nothing may
// crash, hang or grow without bound; whatever is written stays inside the folder unpacked
// into, within the limits, and a refused package leaves that folder empty.

#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "authoring/package.h"
#include "scratch_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    auto& scratch = vexlor::fuzzing::scratch();
    const fs::path zip = scratch.write(data, size);
    const fs::path folder = scratch.folder() / "out";
    vexlor::authoring::PackageLimits limits;
    limits.entries = 200;
    limits.moduleBytes = limits.mediaBytes = 1 << 20;
    limits.totalBytes = 4 << 20;
    const auto unpacked = vexlor::authoring::unpackPackage(zip, folder, limits);
    std::uintmax_t total = 0;
    std::size_t files = 0;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (entry.is_symlink() || !(entry.is_regular_file() || entry.is_directory())) std::abort();
        if (entry.is_regular_file()) total += entry.file_size(), ++files;
    }
    if (total > limits.totalBytes) std::abort();
    if (!unpacked && files != 0) std::abort();
    if (unpacked && (files != unpacked->files || !fs::is_regular_file(unpacked->module)))
        std::abort();
    // Nothing beside the folder unpacked into: the scratch folder holds the input and "out".
    for (const auto& entry : fs::directory_iterator(scratch.folder(), error))
        if (entry.path() != zip && entry.path() != folder) std::abort();
    scratch.clear();
    return 0;
}
