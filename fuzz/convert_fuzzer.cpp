// Feeds any file to the conversion of modules in the earlier Jet format ("convert FILE -o NEW",
// run in this process): the header check, libmdb's reading of the tables and the writer of the
// new module. Nothing of ours may crash, hang or grow without bound; the original stays as it
// was; a conversion that succeeds gives a module that opens. A crash inside libmdb is reported
// as any other: in the game and the editor the same reading runs in a child process.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "authoring/module_file.h"
#include "modules/earlier_format.h"
#include "scratch_module.h"
#include "vexlor-module/commands.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vexlor::fuzzing::smallPageCacheStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace authoring = vexlor::authoring;
    auto& scratch = vexlor::fuzzing::scratch();
    const std::string& path = scratch.write(data, size);
    const std::string before = scratch.bytes();
    // The header reader of our own, on the bytes as they are.
    (void)vexlor::modules::parseJetHeader(std::span(data, size));

    const std::string out = (scratch.folder() / "converted.vxm").string();
    std::ostringstream said, err;
    const int status = authoring::runTool({"convert", path, "-o", out}, said, err);
    if (status != authoring::kExitSuccess && status != authoring::kExitFailure &&
        status != authoring::kExitNotAModule)
        std::abort();
    if (status != authoring::kExitSuccess && err.str().empty()) std::abort();
    if (status == authoring::kExitSuccess && vexlor::modules::readJetHeader(path) &&
        !authoring::ModuleStore::open(out))
        std::abort();
    if (scratch.bytes() != before) std::abort();

    scratch.clear();
    return 0;
}
