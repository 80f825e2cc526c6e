#include "modules/temporary_names.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace vexlor::modules {

namespace fs = std::filesystem;

// Field 22 of /proc/PID/stat.
std::string processStart(long pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) return "";
    const auto afterName = line.rfind(')');  // the command name may hold blanks and brackets
    if (afterName == std::string::npos) return "";
    std::istringstream fields(line.substr(afterName + 1));
    std::string field;
    int number = 3;  // the first field after the name
    while (number <= 22 && fields >> field) ++number;
    return number == 23 ? field : "";
}

fs::path temporaryModulePath(const fs::path& out) {
    static std::atomic<unsigned> counter{0};
    static const std::string start = processStart(::getpid());
    const std::string name = "." + out.filename().string() + ".vexlor-module-" +
                             std::to_string(::getpid()) + "-" + start + "-" +
                             std::to_string(counter++) + ".vxm.tmp";
    return out.parent_path() / name;
}

}  // namespace vexlor::modules
