// Packages: pack and unpack.

#include <filesystem>

#include "authoring/package.h"
#include "text/i18n.h"
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
        err << module.string() << ": " << i18n::fill(i18n::tx("%1, not packed"), {left}) << '\n';
    out << i18n::fill(i18n::txn("Packed %1 and %2 media file into %3",
                                "Packed %1 and %2 media files into %3", packed->media),
                      {module.filename().string(), std::to_string(packed->media), zip.string()})
        << '\n';
    return kExitSuccess;
}

int runUnpack(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path zip = arguments.positionals[0];
    auto unpacked = unpackPackage(zip, arguments.value("--output"));
    if (!unpacked) return fail(err, unpacked.error());
    for (const std::string& skipped : unpacked->skipped)
        err << zip.string() << ": " << i18n::fill(i18n::tx("%1, skipped"), {skipped}) << '\n';
    // Programs that run the tool read the module's path from this line: never translated.
    out << "Module: " << unpacked->module.string() << '\n'
        << counted(static_cast<std::int64_t>(unpacked->files),
                   i18n::txn("Unpacked %1 file", "Unpacked %1 files", unpacked->files))
        << '\n';
    return kExitSuccess;
}

}  // namespace vexlor::authoring
