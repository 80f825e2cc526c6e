#include "platform/sample_modules.h"
#include "platform/descriptor.h"
#include "platform/files.h"
#include "text/i18n.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

namespace vexlor::platform {

namespace fs = std::filesystem;

namespace {

ErrorKind kindOf(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
        case EROFS:
            return ErrorKind::kNoAccess;
        case ENOENT:
            return ErrorKind::kNoFile;
        case ENOTDIR:
        case EISDIR:
            return ErrorKind::kNotAFile;
        default:
            return ErrorKind::kFailed;
    }
}

Error systemError(int code, const std::string& doing, const fs::path& file) {
    return Error(kindOf(code), doing + " (" + std::strerror(code) + ")", file.string());
}

enum class Outcome { Copied, Kept, Skipped };

// Copies one sample; Skipped when it is no regular file or another game is copying it.
Result<Outcome> copyOne(const fs::path& source, const fs::path& folder,
                        const std::function<void()>& afterEachBlock) {
    const std::string name = source.filename().string();
    const fs::path target = folder / name;
    struct stat status {};
    if (::lstat(target.c_str(), &status) == 0) return Outcome::Kept;

    // Not following links, not waiting on a pipe: only a regular file is a sample.
    const ReadableFile in = openForReading(source, UINT64_MAX, Links::kRefuse);
    if (in.problem == ReadableFile::Problem::kCannotOpen)
        return in.error == ELOOP ? Result<Outcome>(Outcome::Skipped)
                                 : systemError(in.error, i18n::tx("cannot be read"), source);
    if (!in) return Outcome::Skipped;

    const fs::path temporary = folder / ("." + name + ".part");
    Descriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!out) return systemError(errno, i18n::tx("cannot be written"), temporary);
    // Another game copying the same sample holds the lock; the file it renamed away is no
    // longer at the temporary name, and must not be written again.
    struct stat opened {
    }, named{};
    if (::flock(out.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(out.get(), &opened) != 0 ||
        ::lstat(temporary.c_str(), &named) != 0 || opened.st_ino != named.st_ino ||
        opened.st_dev != named.st_dev || !S_ISREG(opened.st_mode))
        return Outcome::Skipped;
    if (::ftruncate(out.get(), 0) != 0)
        return systemError(errno, i18n::tx("cannot be written"), temporary);

    switch (copyAll(in.fd(), out.get(), UINT64_MAX, afterEachBlock)) {
        case CopyEnd::kReadFailed:
            return systemError(errno, i18n::tx("cannot be read"), source);
        case CopyEnd::kWriteFailed:
            return systemError(errno, i18n::tx("cannot be written"), temporary);
        case CopyEnd::kDone:
        case CopyEnd::kTooLarge:
            break;
    }
    if (::fsync(out.get()) != 0)
        return systemError(errno, i18n::tx("cannot be written"), temporary);
    if (!putInPlace(temporary, target, Placement::kKeepExisting)) {
        const int code = errno;
        std::error_code ignored;
        ignoreFailure(fs::remove(temporary, ignored),
                      "a leftover temporary name is reused by the next copy");
        if (code == EEXIST) return Outcome::Kept;  // another game put it there meanwhile
        return systemError(code, i18n::tx("cannot be put in place"), target);
    }
    return Outcome::Copied;
}

}  // namespace

fs::path executableFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path{} : program.parent_path();
}

std::optional<fs::path> installedDataFolder(const fs::path& executableFolder) {
    if (executableFolder.empty()) return std::nullopt;
    const fs::path data = executableFolder.parent_path() / "share" / "vexlor";
    std::error_code error;
    if (!fs::is_directory(data, error)) return std::nullopt;
    return data;
}

fs::path catalogFolder(const fs::path& executableFolder) {
    std::error_code error;
    if (const auto data = installedDataFolder(executableFolder)) {
        if (fs::is_directory(*data / "locale", error)) return *data / "locale";
    }
    fs::path folder = executableFolder;
    for (int up = 0; up < 3 && !folder.empty() && folder.has_relative_path(); ++up) {
        folder = folder.parent_path();
        if (fs::is_regular_file(folder / "CMakeCache.txt", error) &&
            fs::is_directory(folder / "locale", error))
            return folder / "locale";
    }
    return {};
}

fs::path playerModulesFolder(const fs::path& dataHome) {
    return dataHome / "vexlor" / "modules";
}

Result<SampleCopy> copySampleModules(const fs::path& samples, const fs::path& folder,
                                     const std::function<void()>& afterEachBlock) {
    std::error_code error;
    std::vector<fs::path> sources;
    for (fs::directory_iterator entry(samples, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with('.')) sources.push_back(entry->path());
    }
    if (error) return systemError(error.value(), i18n::tx("cannot be listed"), samples);

    SampleCopy report;
    std::vector<fs::path> missing;
    for (const fs::path& source : sources) {
        struct stat status {};
        if (::lstat((folder / source.filename()).c_str(), &status) == 0)
            report.kept.push_back(source.filename().string());
        else
            missing.push_back(source);
    }
    if (missing.empty()) return report;

    fs::create_directories(folder, error);
    if (error) return systemError(error.value(), i18n::tx("cannot be made"), folder);
    if (!fs::is_directory(folder, error))
        return systemError(ENOTDIR, i18n::tx("cannot be made"), folder);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return systemError(errno, i18n::tx("cannot be written"), folder);

    for (const fs::path& source : missing) {
        Result<Outcome> outcome = copyOne(source, folder, afterEachBlock);
        if (!outcome)
            report.failed.push_back(outcome.error());
        else if (*outcome == Outcome::Copied)
            report.copied.push_back(source.filename().string());
        else if (*outcome == Outcome::Kept)
            report.kept.push_back(source.filename().string());
    }
    // The new names themselves are made to last.
    if (!report.copied.empty()) syncFolder(folder);
    return report;
}

namespace {

std::string samplesReadOnly(const fs::path& samples) {
    // TRANSLATORS: the second line of a message about the player's modules folder; %1 is the
    // folder of the installed sample modules.
    return i18n::fill(i18n::tx("The sample modules open from %1, read-only: their top ten cannot "
                               "be stored."),
                      {samples.string()});
}

}  // namespace

ModulesHome preparePlayerModules(const fs::path& executableFolder,
                                 const std::optional<fs::path>& dataHome) {
    const std::optional<fs::path> data = installedDataFolder(executableFolder);
    // Never a folder relative to wherever the game was started.
    if (!dataHome || !dataHome->is_absolute()) {
        std::string problem = i18n::tx("There is no home folder to keep your modules in.");
        if (!data) return {{}, problem};
        const fs::path samples = *data / "modules";
        return {samples, problem + "\n" + samplesReadOnly(samples)};
    }
    const fs::path player = playerModulesFolder(*dataHome);
    std::error_code error;
    if (!data) return {fs::is_directory(player, error) ? player : fs::path{}, {}};
    const fs::path samples = *data / "modules";

    // A user prefix under the data home holds the samples where the player's copies would go.
    if (fs::equivalent(samples, player, error)) return {player, {}};
    Result<SampleCopy> copy = copySampleModules(samples, player);
    if (!copy)
        // TRANSLATORS: %1 is the folder, %2 what went wrong ("cannot be made (Permission
        // denied)"); a second line follows.
        return {samples, i18n::fill(i18n::tx("Your modules folder %1 %2."),
                                    {player.string(), copy.error().message()}) +
                             "\n" + samplesReadOnly(samples)};
    std::string problem;
    for (const Error& failure : copy->failed) problem += failure.what() + "\n";
    if (!problem.empty())
        problem = std::string(i18n::tx("Some sample modules could not be copied into your modules "
                                       "folder:")) +
                  "\n" + problem;
    return {player, problem};
}

}  // namespace vexlor::platform
