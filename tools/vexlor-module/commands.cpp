#include "vexlor-module/commands.h"

#include <exception>
#include <iomanip>
#include <optional>

#include <CLI/CLI.hpp>

#include "authoring/import.h"
#include "authoring/question_import.h"
#include "text/i18n.h"
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

namespace {

const Command* findCommand(std::string_view name) {
    for (const Command& command : commands())
        if (command.name == name) return &command;
    return nullptr;
}

// "Usage: vexlor-module ARGUMENTS", the first line of every help.
std::string usageLine(std::string_view arguments) {
    // TRANSLATORS: the first line of the tool's help; %1 is "vexlor-module" and %2 its
    // command line, such as "COMMAND [ARGUMENTS]" (both kept as they are).
    return i18n::fill(i18n::tx("Usage: %1 %2"), {kProgram, arguments}) + '\n';
}

void printOverview(std::ostream& out) {
    const std::string program(kProgram);
    out << usageLine("COMMAND [ARGUMENTS]") << "\n"
        << i18n::tx("Makes and inspects Vexlor Player question modules (.vxm files).\n") << "\n"
        << i18n::tx("Commands:\n");
    for (const Command& command : commands())
        out << "  " << std::left << std::setw(14) << command.name << i18n::tx(command.summary)
            << '\n';
    out << "  " << std::left << std::setw(14) << "help" << i18n::tx("show help for a command\n")
        << "\n"
        << i18n::fill(i18n::tx("Run '%1 help COMMAND' or '%1 COMMAND --help' for details.\n"),
                      {program})
        << i18n::fill(i18n::tx("'%1 --version' prints the version.\n"), {program})
        << i18n::tx(
               "Exit status: 0 done, 1 failed (or check found problems), 2 wrong command line.\n");
}

void printCommandHelp(const Command& command, std::ostream& out) {
    out << usageLine(command.synopsis) << "\n";
    for (const char* paragraph : command.details) out << i18n::tx(paragraph);
}

int usageError(std::ostream& err, std::string_view command, const std::string& message) {
    err << kProgram;
    if (!command.empty()) err << ' ' << command;
    const std::string help =
        std::string(kProgram) + (command.empty() ? " --help" : " help " + std::string(command));
    // TRANSLATORS: after a wrong command line; %1 is the command to run for help.
    err << ": " << message << '\n' << i18n::fill(i18n::tx("Try '%1'.\n"), {help});
    return kExitUsage;
}

// The messages of the command-line parser, each a pattern whose %1, %2... stand for what varies;
// one that matches is said in the user's language, any other as the parser gave it.
constexpr const char* kParserMessages[] = {
    VX_N("The following argument was not expected: %1"),
    VX_N("The following arguments were not expected: %1"),
    // TRANSLATORS: an option given without its value: %1 the option, %2 how many values, %3
    // what kind (TEXT).
    VX_N("%1: %2 required %3 missing"),
    // TRANSLATORS: %1 the option, %2 the value given, %3 the values it may take.
    VX_N("%1: %2 not in %3"),
    VX_N("%1: Too many positional arguments with unlimited expected args"),
};

// The parts of `text` that stand for %1, %2... of `pattern` (in that order, each not empty),
// or nothing when `text` does not have its shape. Each value ends at the first place the
// pattern's next words follow (the last one at the end), so a long argument costs one pass.
std::optional<std::vector<std::string_view>> matchPattern(std::string_view pattern,
                                                          std::string_view text) {
    std::vector<std::string_view> words;  // the pattern's words around its %N marks
    std::size_t from = 0;
    for (std::size_t at = pattern.find('%');
         at != std::string_view::npos && at + 1 < pattern.size(); at = pattern.find('%', at + 1)) {
        if (pattern[at + 1] < '1' || pattern[at + 1] > '9') continue;
        words.push_back(pattern.substr(from, at - from));
        from = at + 2;
    }
    words.push_back(pattern.substr(from));
    if (!text.starts_with(words.front())) return std::nullopt;
    std::vector<std::string_view> values;
    std::size_t position = words.front().size();
    for (std::size_t i = 1; i < words.size(); ++i) {
        const bool last = i + 1 == words.size();
        const std::size_t end = last ? (text.ends_with(words[i]) ? text.size() - words[i].size()
                                                                 : std::string_view::npos)
                                     : text.find(words[i], position + 1);
        if (end == std::string_view::npos || end <= position) return std::nullopt;
        values.push_back(text.substr(position, end - position));
        position = end + words[i].size();
    }
    if (words.size() == 1 && text.size() != words.front().size()) return std::nullopt;
    return values;
}

std::string parserMessage(const std::string& english) {
    for (const char* pattern : kParserMessages)
        if (auto values = matchPattern(pattern, english)) {
            std::string filled = i18n::tx(pattern);
            const char* marks[] = {"%1", "%2", "%3"};
            // fill() takes a fixed list; at most three values occur.
            while (values->size() < 3) values->push_back(marks[values->size()]);
            return i18n::fill(filled, {(*values)[0], (*values)[1], (*values)[2]});
        }
    return english;
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
                       : i18n::fill(i18n::tx("points must be a whole number from 0 to %1"),
                                    {std::to_string(kMaxPoints)});
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
                               : i18n::fill(i18n::tx("the encoding must be utf-8, "
                                                     "windows-1252 or latin-1, not %1"),
                                            {encoding});
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
        return UsageError{parserMessage(error.what())};
    }
    for (const Option& option : command.options) {
        const std::string name(option.name);
        if (app.count(name) > 1)
            return UsageError{i18n::fill(i18n::tx("option %1 given twice"), {name})};
        if (app.count(name) == 1) arguments.values[name] = given[name];
    }
    if (arguments.positionals.empty())
        // TRANSLATORS: %1 is what is missing, such as "the module file".
        return UsageError{i18n::fill(i18n::tx("%1 is missing"), {i18n::tx(command.operand)})};
    if (arguments.positionals.size() > 1 && !command.manyOperands)
        return UsageError{
            i18n::fill(i18n::tx("unexpected argument '%1'"), {arguments.positionals[1]})};
    for (const Option& option : command.options) {
        const std::string name(option.name);
        if (option.required && !arguments.has(name))
            return UsageError{i18n::fill(i18n::tx("%1 is required"), {name})};
        if (option.nonEmpty && arguments.has(name) && arguments.value(name).empty())
            // TRANSLATORS: %1 is an option's name without its dashes ("title", "output").
            return UsageError{i18n::fill(i18n::tx("the %1 must not be empty"), {name.substr(2)})};
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
        if (words.size() > 2) return usageError(err, "help", i18n::tx("give one command"));
        if (words[1] == "help") {
            out << usageLine("help [COMMAND]") << '\n'
                << i18n::tx("Shows help for COMMAND, or the list of commands.\n");
            return kExitSuccess;
        }
        const Command* command = findCommand(words[1]);
        if (!command)
            return usageError(err, "help",
                              i18n::fill(i18n::tx("unknown command '%1'"), {words[1]}));
        printCommandHelp(*command, out);
        return kExitSuccess;
    }
    const Command* command = findCommand(first);
    if (!command) return usageError(err, "", i18n::fill(i18n::tx("unknown command '%1'"), {first}));

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
        err << kProgram << ": " << i18n::tx("unexpected failure") << '\n';
    }
    return kExitFailure;
}

}  // namespace vexlor::authoring
