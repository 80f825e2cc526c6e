#pragma once

// The tool's command line: its commands and their options, the arguments once parsed, and the
// commands' entry points. Each command is one function of import_commands.cpp or
// module_commands.cpp; the table of them, with their help, is command_table.cpp.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/conversion.h"
#include "base/result.h"
#include "modules/earlier_format.h"
#include "text/i18n.h"

namespace vexlor::authoring {

inline constexpr std::string_view kProgram = "vexlor-module";
inline constexpr int kMaxPoints = 1000000;

struct Option {
    std::string_view name;   ///< "--title"
    std::string_view alias;  ///< a short form such as "-o", or empty
    bool takesValue;
    enum class Kind { kText, kPoints, kFormat, kEncoding, kColumns, kSeparator } kind = Kind::kText;
    bool required = false;  ///< the command cannot run without it
    bool nonEmpty = false;  ///< its value must not be empty
};

/// A command line after its options have been sorted out.
struct Arguments {
    std::vector<std::string> positionals;
    std::map<std::string, std::string, std::less<>> values;  ///< by long option name

    bool has(std::string_view option) const { return values.find(option) != values.end(); }
    std::string value(std::string_view option) const {
        auto found = values.find(option);
        return found == values.end() ? std::string() : found->second;
    }
};

/// What is wrong with a command line.
struct UsageError {
    std::string message;
};

struct Command {
    std::string_view name;
    std::string_view synopsis;  ///< names and values' placeholders only: not translated
    const char* summary;        ///< marked for the catalogs, looked up where shown
    /// The help's paragraphs, each marked for the catalogs and looked up where shown.
    std::vector<const char*> details;
    std::vector<Option> options;
    int (*run)(const Arguments&, std::ostream& out, std::ostream& err);
    const char* operand = VX_N("the module file");  ///< what the one positional argument is
    bool manyOperands = false;                      ///< it takes one or more
};

/// A module in the earlier format, read as it stands.
struct EarlierContent {
    modules::JetHeader header;
    SourceContent content;
    std::string formatLine;  ///< "in the earlier module format (Jet 4)"
};

/// Reads the module at `path` when it is in the earlier format: nothing when it is not, else the
/// exit status (kExitSuccess with `content` filled, or a failure told on `err`).
std::optional<int> readEarlierModule(const std::filesystem::path& path, std::ostream& err,
                                     EarlierContent& content);

/// Writes the message to `err` and gives kExitFailure.
int fail(std::ostream& err, const std::string& message);
inline int fail(std::ostream& err, const Error& error) {
    return fail(err, error.what());
}
using i18n::counted;

/// The folder a file lies in ("." for a bare name): where a module's media are looked for.
std::filesystem::path folderOf(const std::filesystem::path& file);

/// Every command, in the order help lists them.
const std::vector<Command>& commands();

// The commands.
int runCreate(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runAdd(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runImportCheck(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runInfo(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runCheck(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runExport(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runResetAsked(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runClearScores(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runScores(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runConvert(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runPack(const Arguments& arguments, std::ostream& out, std::ostream& err);
int runUnpack(const Arguments& arguments, std::ostream& out, std::ostream& err);

}  // namespace vexlor::authoring
