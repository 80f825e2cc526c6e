#include "ui/command_line.h"

namespace vexlor::ui {

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnd = false;
    auto misuse = [&line](std::string problem) {
        line.action = CommandLine::Action::Misuse;
        line.problem = std::move(problem);
        return line;
    };
    for (const std::string& argument : arguments) {
        if (!optionsEnd && argument == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && (argument == "--help" || argument == "-h")) {
            line.action = CommandLine::Action::Help;
        } else if (!optionsEnd && argument == "--version") {
            if (line.action != CommandLine::Action::Help)
                line.action = CommandLine::Action::Version;
        } else if (!optionsEnd && argument == "--fullscreen") {
            line.fullScreen = true;
        } else if (!optionsEnd && argument == "--from-menu") {
            line.fromMenu = true;
        } else if (!optionsEnd && argument.size() > 1 && argument.starts_with('-')) {
            return misuse("unknown option " + argument);
        } else if (!line.module.empty()) {
            return misuse("one module at a time: " + argument);
        } else if (argument.empty()) {
            return misuse("an empty module name");
        } else {
            line.module = argument;
        }
    }
    return line;
}

std::string usageText(const std::string& program) {
    return "Usage: " + program +
           " [--fullscreen] [--from-menu] [MODULE.vxm]\n"
           "Plays the quiz game, with MODULE.vxm open when it is named.\n"
           "      --fullscreen  fill the screen (F11 switches)\n"
           "      --from-menu   play from your own modules folder, as the menu entry does;\n"
           "                    the first start copies the sample modules into it\n"
           "  -h, --help        show this help and end\n"
           "      --version     show the version and end\n";
}

}  // namespace vexlor::ui
