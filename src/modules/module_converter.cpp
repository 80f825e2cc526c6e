#include "modules/module_converter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>

#include "modules/earlier_format.h"
#include "modules/temporary_names.h"
#include "platform/descriptor.h"
#include "text/i18n.h"

namespace vexlor::modules {

namespace fs = std::filesystem;

namespace {

// The tool's status for a file that is no module the game would take.
constexpr int kNotAModuleStatus = 3;

// The reason the tool gave: its last line, without the file it names (the player's message
// names it already).
std::string reasonIn(const std::string& output, const std::string& path) {
    std::string text = output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const auto lineStart = text.rfind('\n');
    std::string line = lineStart == std::string::npos ? text : text.substr(lineStart + 1);
    const std::string prefix = path + ": ";
    if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
    if (line.empty()) return i18n::tx("the converter gave no reason");
    return line;
}

void removeQuietly(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

}  // namespace

bool ChildModuleConverter::isEarlierModule(const std::string& path) {
    return modules::isEarlierModule(path);
}

bool ChildModuleConverter::isPackage(const std::string& path) {
    // A zip file starts with a local file header, or with the end record when it is empty. Only
    // a plain file is read, and a pipe never blocks.
    const platform::Descriptor file(
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    char start[4] = {};
    ssize_t got;
    do got = ::read(file.get(), start, sizeof start);
    while (got < 0 && errno == EINTR);
    const std::string_view read(start, got > 0 ? static_cast<std::size_t>(got) : 0);
    return read == std::string_view("PK\x03\x04", 4) || read == std::string_view("PK\x05\x06", 4);
}

Result<platform::ModuleConverter::Prepared> ChildModuleConverter::prepare(const std::string& path) {
    if (auto blocked = conversionBlocked(path)) return *blocked;
    const std::string converted = temporaryModulePath(path).string();
    if (Status done = convertTo(path, converted); !done) return done.error();
    return Prepared{converted, backupPathFor(path).string()};
}

Status ChildModuleConverter::convertTo(const std::string& path, const std::string& converted) {
    if (tool_.empty())
        return Error(ErrorKind::kFailed,
                     i18n::tx("the program that converts it (vexlor-module) is not installed "
                              "with this one"));
    const platform::ChildOutcome outcome =
        platform::runChild(tool_, {"convert", path, "-o", converted}, limits_);
    using End = platform::ChildOutcome::End;
    std::string why;
    switch (outcome.end) {
        case End::kExited:
            if (outcome.code == 0 && ::access(converted.c_str(), R_OK) == 0)
                return Status::success();
            why = reasonIn(outcome.output, path);
            removeQuietly(converted);
            if (outcome.code == kNotAModuleStatus) return Error(ErrorKind::kNotAModule, why);
            return Error(ErrorKind::kFailed, why);
        case End::kSignalled:
            why = i18n::fill(i18n::tx("reading it stopped the converter (signal %1): the file "
                                      "is damaged"),
                             {std::to_string(outcome.code)});
            break;
        case End::kTimedOut:
            why = i18n::fill(i18n::tx("reading it took the converter longer than %1 seconds: the "
                                      "file is damaged"),
                             {std::to_string(limits_.time.count() / 1000)});
            break;
        case End::kNotStarted:
            why = i18n::fill(i18n::tx("the converter %1 could not be started"), {tool_});
            break;
    }
    removeQuietly(converted);
    return Error(ErrorKind::kFailed, why);
}

Result<std::string> ChildModuleConverter::place(const std::string& path, const Prepared& prepared) {
    auto backup = placeConverted(prepared.converted, path);
    if (!backup) {
        removeQuietly(prepared.converted);
        return Error(backup.error().kind(), backup.error().message());
    }
    return backup->filename().string();
}

Result<std::string> ChildModuleConverter::unpackPackage(const std::string& zip,
                                                        const std::string& folder) {
    if (tool_.empty())
        return Error(ErrorKind::kFailed,
                     i18n::tx("the program that unpacks it (vexlor-module) is not installed with "
                              "this one"));
    const platform::ChildOutcome outcome =
        platform::runChild(tool_, {"unpack", zip, "-o", folder}, limits_);
    using End = platform::ChildOutcome::End;
    switch (outcome.end) {
        case End::kExited: {
            if (outcome.code != 0) return Error(ErrorKind::kFailed, reasonIn(outcome.output, zip));
            constexpr std::string_view kModuleLine = "Module: ";
            const std::size_t start = outcome.output.find(kModuleLine);
            if (start == std::string::npos) break;
            const std::size_t from = start + kModuleLine.size();
            return outcome.output.substr(from, outcome.output.find('\n', from) - from);
        }
        case End::kSignalled:
        case End::kTimedOut:
            return Error(ErrorKind::kFailed,
                         i18n::tx("unpacking it stopped half way: the file is damaged"));
        case End::kNotStarted:
            return Error(ErrorKind::kFailed,
                         i18n::fill(i18n::tx("the program %1 could not be started"), {tool_}));
    }
    return Error(ErrorKind::kFailed,
                 i18n::fill(i18n::tx("the program %1 did not say what it unpacked"), {tool_}));
}

void ChildModuleConverter::discard(const Prepared& prepared) {
    removeQuietly(prepared.converted);
}

std::string moduleToolFor(const std::string& folder) {
    const fs::path here(folder);
    for (const fs::path& candidate :
         {here / "vexlor-module", here / ".." / "bin" / "vexlor-module",
          here / ".." / ".." / "tools" / "vexlor-module" / "vexlor-module"}) {
        if (::access(candidate.c_str(), X_OK) == 0) return fs::weakly_canonical(candidate).string();
    }
    return {};
}

}  // namespace vexlor::modules
