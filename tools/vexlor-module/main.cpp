#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/sample_modules.h"
#include "text/i18n.h"
#include "vexlor-module/commands.h"

int main(int argc, char** argv) {
    try {
        vexlor::i18n::start(vexlor::platform::catalogFolder(vexlor::platform::executableFolder()));
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        const int status = vexlor::authoring::runTool(arguments, std::cout, std::cerr);
        // A full disk or a closed pipe must not pass for success.
        if (!std::cout.flush()) {
            std::cerr << "vexlor-module: " << vexlor::i18n::tx("cannot write the output") << '\n';
            return vexlor::authoring::kExitFailure;
        }
        return status;
    } catch (...) {
        return vexlor::authoring::kExitFailure;
    }
}
