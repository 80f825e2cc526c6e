#include "ui/command_line.h"

#include "text/i18n.h"

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
            // TRANSLATORS: printed after "vexlor: "; %1 is the option as given.
            return misuse(i18n::fill(i18n::tx("unknown option %1"), {argument}));
        } else if (!line.module.empty()) {
            // TRANSLATORS: printed after "vexlor: "; %1 is the second module named.
            return misuse(i18n::fill(i18n::tx("one module at a time: %1"), {argument}));
        } else if (argument.empty()) {
            return misuse(i18n::tx("an empty module name"));
        } else {
            line.module = argument;
        }
    }
    return line;
}

std::string usageText(const std::string& program) {
    // TRANSLATORS: vexlor --help; %1 is the program's name. The options are typed as they
    // stand: translate the words only, and keep the descriptions in their column.
    return i18n::fill(
        i18n::tx("Usage: %1 [--fullscreen] [--from-menu] [MODULE.vxm]\n"
                 "Plays the quiz game, with MODULE.vxm open when it is named.\n"
                 "      --fullscreen  fill the screen (F11 switches)\n"
                 "      --from-menu   play from your own modules folder, as the menu entry does;\n"
                 "                    the first start copies the sample modules into it\n"
                 "  -h, --help        show this help and end\n"
                 "      --version     show the version and end\n"),
        {program});
}

}  // namespace vexlor::ui
