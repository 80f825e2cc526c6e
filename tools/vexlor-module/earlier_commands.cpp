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
#include "vexlor-module/command_line.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kReadingSeconds = 120;

extern "C" void readingTookTooLong(int) {
    static const char message[] =
        "vexlor-module: reading the module in the earlier format took longer than 120 seconds: "
        "the file is damaged. Nothing was written.\n";
    [[maybe_unused]] const auto written = ::write(2, message, sizeof message - 1);
    ::_exit(kExitFailure);
}

// Stops the tool when libmdb spends longer than a whole module can take; lifted once the
// reading is done (the tool's commands also run inside other programs, such as its tests).
class ReadingTimeLimit {
  public:
    ReadingTimeLimit() {
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
    return "in the earlier module format (" + modules::jetVersionName(header) + ")";
}

std::string counts(const Converted& converted) {
    return plural(converted.questions, "question", "questions") + ", " +
           plural(converted.asked, "asked", "asked") + ", " +
           plural(converted.scores, "high score", "high scores");
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
        out << path.string() << ": already a module in the current format; left as it is\n";
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
    out << path.string() << ": converted from " << modules::jetVersionName((*module)->header())
        << " (" << counts(*written) << "); the original is kept as " << backup->filename().string()
        << '\n';
    return kExitSuccess;
}

int convertTo(const fs::path& from, const fs::path& to, bool replace, std::ostream& out,
              std::ostream& err) {
    std::error_code error;
    if (fs::exists(to, error) && fs::equivalent(from, to, error))
        return fail(err, to.string() +
                             ": is the module being converted; to convert it in its place, leave "
                             "out -o");
    if (!modules::readJetHeader(from) && ModuleStore::open(from)) {
        out << from.string() << ": already a module in the current format; nothing written\n";
        return kExitSuccess;
    }
    auto module = legacy::JetModule::open(from);
    if (!module) return failed(err, module.error());
    auto written = writeConverted(to, **module, replace);
    if (!written) return failed(err, written.error());
    out << to.string() << ": converted from " << from.string() << ", "
        << modules::jetVersionName((*module)->header()) << " (" << counts(*written) << ")\n";
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
            return fail(err, std::string(kProgram) +
                                 " convert: -o writes one module: give one file to convert");
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
