#include "vexlor-module/commands.h"

#include <exception>
#include <iomanip>
#include <optional>

#include <CLI/CLI.hpp>

#include "authoring/import.h"
#include "authoring/question_import.h"
#include "text/text.h"
#include "vexlor-module/command_line.h"

namespace vexlor::authoring {

int fail(std::ostream& err, const std::string& message) {
    err << message << '\n';
    return kExitFailure;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

std::string plural(std::int64_t count, const char* singular, const char* several) {
    return std::to_string(count) + " " + (count == 1 ? singular : several);
}

namespace {

const Command* findCommand(std::string_view name) {
    for (const Command& command : commands())
        if (command.name == name) return &command;
    return nullptr;
}

void printOverview(std::ostream& out) {
    out << "Usage: " << kProgram << " COMMAND [ARGUMENTS]\n"
        << "\n"
        << "Makes and inspects Vexlor Player question modules (.vxm files).\n"
        << "\n"
        << "Commands:\n";
    for (const Command& command : commands())
        out << "  " << std::left << std::setw(14) << command.name << command.summary << '\n';
    out << "  " << std::left << std::setw(14) << "help"
        << "show help for a command\n"
        << "\n"
        << "Run '" << kProgram << " help COMMAND' or '" << kProgram
        << " COMMAND --help' for details.\n"
        << "'" << kProgram << " --version' prints the version.\n"
        << "Exit status: 0 done, 1 failed (or check found problems), 2 wrong command line.\n";
}

void printCommandHelp(const Command& command, std::ostream& out) {
    out << "Usage: " << kProgram << " " << command.synopsis << "\n\n" << command.details;
}

int usageError(std::ostream& err, std::string_view command, const std::string& message) {
    err << kProgram;
    if (!command.empty()) err << ' ' << command;
    err << ": " << message << '\n'
        << "Try '" << kProgram << (command.empty() ? " --help" : " help " + std::string(command))
        << "'.\n";
    return kExitUsage;
}

std::optional<UsageError> parseArguments(const Command& command,
                                         const std::vector<std::string>& words,
                                         Arguments& arguments) {
    CLI::App app;
    app.set_help_flag();  // help is answered before parsing, with the tool's own texts
    std::map<std::string, std::string> given;
    const CLI::Validator points(
        [](std::string& text) {
            const bool whole = !text.empty() && text.size() <= 7 &&
                               text.find_first_not_of("0123456789") == std::string::npos;
            return whole && std::stoi(text) <= kMaxPoints
                       ? std::string()
                       : "points must be a whole number from 0 to " + std::to_string(kMaxPoints);
        },
        "N");
    for (const Option& option : command.options) {
        const std::string name(option.name);
        const std::string names =
            option.alias.empty() ? name : std::string(option.alias) + "," + name;
        if (!option.takesValue) {
            app.add_flag(names);
            continue;
        }
        CLI::Option* added = app.add_option(names, given[name]);
        if (option.kind == Option::Kind::kPoints) added->check(points);
        if (option.kind == Option::Kind::kFormat)
            added->check(CLI::IsMember({"csv", "aiken", "gift", "opentdb"}));
        if (option.kind == Option::Kind::kEncoding)
            added->check(CLI::Validator(
                [](std::string& encoding) {
                    return encodingNamed(encoding)
                               ? std::string()
                               : "the encoding must be utf-8, windows-1252 or latin-1, not " +
                                     encoding;
                },
                "E"));
        if (option.kind == Option::Kind::kSeparator) added->check(CLI::IsMember({";", ","}));
        if (option.kind == Option::Kind::kColumns)
            added->check(CLI::Validator(
                [](std::string& columns) {
                    if (text::equalsIgnoringCase(columns, "auto")) return std::string();
                    auto list = parseColumnList(columns);
                    return list ? std::string() : std::string(list.error().what());
                },
                "C"));
    }
    app.add_option("file", arguments.positionals);
    try {
        app.parse(std::vector<std::string>(words.rbegin(), words.rend()));
    } catch (const CLI::ParseError& error) {
        return UsageError{error.what()};
    }
    for (const Option& option : command.options) {
        const std::string name(option.name);
        if (app.count(name) > 1) return UsageError{"option " + name + " given twice"};
        if (app.count(name) == 1) arguments.values[name] = given[name];
    }
    if (arguments.positionals.empty())
        return UsageError{std::string(command.operand) + " is missing"};
    if (arguments.positionals.size() > 1 && !command.manyOperands)
        return UsageError{"unexpected argument '" + arguments.positionals[1] + "'"};
    for (const Option& option : command.options) {
        const std::string name(option.name);
        if (option.required && !arguments.has(name)) return UsageError{name + " is required"};
        if (option.nonEmpty && arguments.has(name) && arguments.value(name).empty())
            return UsageError{"the " + name.substr(2) + " must not be empty"};
    }
    return std::nullopt;
}

bool asksForHelp(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word == "--") return false;
        if (word == "--help" || word == "-h") return true;
    }
    return false;
}

int dispatch(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        printOverview(err);
        return kExitUsage;
    }
    const std::string& first = words[0];
    if (first == "--help" || first == "-h") {
        printOverview(out);
        return kExitSuccess;
    }
    if (first == "--version") {
        out << kProgram << " (Vexlor Player) " << VEXLOR_VERSION << '\n';
        return kExitSuccess;
    }
    if (first == "help") {
        if (words.size() == 1) {
            printOverview(out);
            return kExitSuccess;
        }
        if (words.size() > 2) return usageError(err, "help", "give one command");
        if (words[1] == "help") {
            out << "Usage: " << kProgram << " help [COMMAND]\n\nShows help for COMMAND, or the "
                << "list of commands.\n";
            return kExitSuccess;
        }
        const Command* command = findCommand(words[1]);
        if (!command) return usageError(err, "help", "unknown command '" + words[1] + "'");
        printCommandHelp(*command, out);
        return kExitSuccess;
    }
    const Command* command = findCommand(first);
    if (!command) return usageError(err, "", "unknown command '" + first + "'");

    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (asksForHelp(rest)) {
        printCommandHelp(*command, out);
        return kExitSuccess;
    }
    Arguments arguments;
    if (auto problem = parseArguments(*command, rest, arguments))
        return usageError(err, command->name, problem->message);
    return command->run(arguments, out, err);
}

}  // namespace

int runTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    try {
        return dispatch(arguments, out, err);
    } catch (const std::exception& exception) {
        err << kProgram << ": " << exception.what() << '\n';
    } catch (...) {
        err << kProgram << ": unexpected failure\n";
    }
    return kExitFailure;
}

}  // namespace vexlor::authoring
