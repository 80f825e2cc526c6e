// Feeds any file to one command of vexlor-module (VEXLOR_FUZZ_COMMAND), run in this process:
// nothing may crash, hang or grow without bound, every failure says why, and the commands that
// only read a module leave its bytes as they were.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "scratch_module.h"
#include "vexlor-module/commands.h"

namespace {

constexpr std::string_view kCommand = VEXLOR_FUZZ_COMMAND;
constexpr bool kReadsOnly = kCommand != "reset-asked";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vexlor::fuzzing::smallPageCacheStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace authoring = vexlor::authoring;
    auto& scratch = vexlor::fuzzing::scratch();
    const std::string& path = scratch.write(data, size);
    const std::string before = scratch.bytes();

    std::ostringstream out, err;
    const int status = authoring::runTool({std::string(kCommand), path}, out, err);
    if (status != authoring::kExitSuccess && status != authoring::kExitFailure) std::abort();
    // check lists what it finds on the output; every other failure is explained on err.
    if (status == authoring::kExitFailure && err.str().empty() && out.str().empty()) std::abort();
    if (kReadsOnly && scratch.bytes() != before) std::abort();

    scratch.clear();
    return 0;
}
