// Packages: pack and unpack.

#include <filesystem>

#include "authoring/package.h"
#include "vexlor-module/command_line.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

int runPack(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path module = arguments.positionals[0];
    fs::path zip = arguments.value("--output");
    if (zip.extension() != ".zip") zip += ".zip";
    auto packed = packModule(module, zip, arguments.has("--force"));
    if (!packed) return fail(err, packed.error());
    for (const std::string& left : packed->left)
        err << module.string() << ": " << left << ", not packed\n";
    out << "Packed " << module.filename().string() << " and "
        << plural(static_cast<std::int64_t>(packed->media), "media file", "media files") << " into "
        << zip.string() << '\n';
    return kExitSuccess;
}

int runUnpack(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path zip = arguments.positionals[0];
    auto unpacked = unpackPackage(zip, arguments.value("--output"));
    if (!unpacked) return fail(err, unpacked.error());
    for (const std::string& skipped : unpacked->skipped)
        err << zip.string() << ": " << skipped << ", skipped\n";
    // Programs that run the tool read the module's path from this line.
    out << "Module: " << unpacked->module.string() << '\n'
        << "Unpacked " << plural(static_cast<std::int64_t>(unpacked->files), "file", "files")
        << '\n';
    return kExitSuccess;
}

}  // namespace vexlor::authoring
