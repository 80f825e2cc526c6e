// Modules in the earlier Jet format: convert, and what info, check and export read of one as it
// stands. libmdb reads the whole file; a damaged one may make it loop, so a reading is given a
// time limit.

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "authoring/conversion.h"
#include "authoring/module_file.h"
#include "legacy/jet_module.h"
#include "modules/earlier_format.h"
#include "modules/temporary_names.h"
#include "text/i18n.h"
#include "vexlor-module/command_line.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kReadingSeconds = 120;

// Said from a signal handler, which may not look a text up: looked up when the limit is set.
const char* tookTooLong = nullptr;

extern "C" void readingTookTooLong(int) {
    static const char program[] = "vexlor-module: ";
    [[maybe_unused]] auto written = ::write(2, program, sizeof program - 1);
    written = ::write(2, tookTooLong, std::strlen(tookTooLong));
    written = ::write(2, "\n", 1);
    ::_exit(kExitFailure);
}

// Stops the tool when libmdb spends longer than a whole module can take; lifted once the
// reading is done (the tool's commands also run inside other programs, such as its tests).
class ReadingTimeLimit {
  public:
    ReadingTimeLimit() {
        tookTooLong = i18n::tx(
            "reading the module in the earlier format took longer than 120 seconds: the file is "
            "damaged. Nothing was written.");
        struct sigaction action {};
        action.sa_handler = readingTookTooLong;
        ::sigaction(SIGALRM, &action, &before_);
        ::alarm(kReadingSeconds);
    }
    ~ReadingTimeLimit() {
        ::alarm(0);
        ::sigaction(SIGALRM, &before_, nullptr);
    }
    ReadingTimeLimit(const ReadingTimeLimit&) = delete;
    ReadingTimeLimit& operator=(const ReadingTimeLimit&) = delete;

  private:
    struct sigaction before_ {};
};

std::string formatLine(const modules::JetHeader& header) {
    // TRANSLATORS: %1 is "Jet 3", "Jet 4" or a description of a later database format.
    return i18n::fill(i18n::tx("in the earlier module format (%1)"),
                      {modules::jetVersionName(header)});
}

std::string counts(const Converted& converted) {
    // TRANSLATORS: the three counts are joined as "3 questions, 1 asked, 2 high scores".
    return counted(converted.questions,
                   i18n::txn("%1 question", "%1 questions",
                             static_cast<unsigned long>(converted.questions))) +
           ", " +
           counted(converted.asked,
                   i18n::txn("%1 asked", "%1 asked", static_cast<unsigned long>(converted.asked))) +
           ", " +
           counted(converted.scores, i18n::txn("%1 high score", "%1 high scores",
                                               static_cast<unsigned long>(converted.scores)));
}

// The exit status of a failure: a file the game would not take as a module is told apart, for
// the programs that run this one.
int failed(std::ostream& err, const Error& error) {
    fail(err, error);
    return error.kind() == ErrorKind::kNotAModule ? kExitNotAModule : kExitFailure;
}

int convertInPlace(const fs::path& path, std::ostream& out, std::ostream& err) {
    const auto header = modules::readJetHeader(path);
    if (!header) {
        // Not a Jet database: a module of ours is left alone, anything else is told why.
        auto current = ModuleStore::open(path);
        if (!current) return failed(err, current.error());
        out << path.string() << ": "
            << i18n::tx("already a module in the current format; left as it is") << '\n';
        return kExitSuccess;
    }
    auto module = legacy::JetModule::open(path);
    if (!module) return failed(err, module.error());
    if (auto blocked = modules::conversionBlocked(path)) return failed(err, *blocked);
    const fs::path converted = modules::temporaryModulePath(path);
    auto written = writeConverted(converted, **module, false);
    if (!written) return failed(err, written.error());
    auto backup = modules::placeConverted(converted, path);
    if (!backup) {
        std::error_code ignored;
        fs::remove(converted, ignored);
        return failed(err, backup.error());
    }
    // TRANSLATORS: %1 "Jet 3" or "Jet 4", %2 the counts, %3 the name of the kept original.
    out << path.string() << ": "
        << i18n::fill(i18n::tx("converted from %1 (%2); the original is kept as %3"),
                      {modules::jetVersionName((*module)->header()), counts(*written),
                       backup->filename().string()})
        << '\n';
    return kExitSuccess;
}

int convertTo(const fs::path& from, const fs::path& to, bool replace, std::ostream& out,
              std::ostream& err) {
    std::error_code error;
    if (fs::exists(to, error) && fs::equivalent(from, to, error))
        return fail(err, to.string() + ": " +
                             i18n::tx("is the module being converted; to convert it in its "
                                      "place, leave out -o"));
    if (!modules::readJetHeader(from) && ModuleStore::open(from)) {
        out << from.string() << ": "
            << i18n::tx("already a module in the current format; nothing written") << '\n';
        return kExitSuccess;
    }
    auto module = legacy::JetModule::open(from);
    if (!module) return failed(err, module.error());
    auto written = writeConverted(to, **module, replace);
    if (!written) return failed(err, written.error());
    // TRANSLATORS: %1 the file converted, %2 "Jet 3" or "Jet 4", %3 the counts.
    out << to.string() << ": "
        << i18n::fill(
               i18n::tx("converted from %1, %2 (%3)"),
               {from.string(), modules::jetVersionName((*module)->header()), counts(*written)})
        << '\n';
    return kExitSuccess;
}

}  // namespace

std::optional<int> readEarlierModule(const fs::path& path, std::ostream& err,
                                     EarlierContent& content) {
    const auto header = modules::readJetHeader(path);
    if (!header) return std::nullopt;
    const ReadingTimeLimit limit;
    auto module = legacy::JetModule::open(path);
    if (!module) return fail(err, module.error());
    auto read = readSource(**module);
    if (!read) return fail(err, read.error());
    content.header = *header;
    content.content = std::move(*read);
    content.formatLine = formatLine(*header);
    return kExitSuccess;
}

int runConvert(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const ReadingTimeLimit limit;
    if (arguments.has("--output")) {
        if (arguments.positionals.size() > 1)
            return fail(err, std::string(kProgram) + " convert: " +
                                 i18n::tx("-o writes one module: give one file to convert"));
        return convertTo(arguments.positionals[0], arguments.value("--output"),
                         arguments.has("--force"), out, err);
    }
    int status = kExitSuccess;
    for (const std::string& path : arguments.positionals) {
        const int one = convertInPlace(path, out, err);
        if (one != kExitSuccess && status != kExitFailure) status = one;
    }
    return status;
}

}  // namespace vexlor::authoring
