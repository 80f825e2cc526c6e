#include "authoring/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/files.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

// The roles callers give the file read, for the catalogs.
[[maybe_unused]] constexpr const char* kSourceRoles[] = {VX_N("the module"), VX_N("the file read")};

// `what` has %1 for the system's reason.
std::string because(const char* what) {
    return i18n::fill(what, {std::strerror(errno)});
}

}  // namespace

Status writeWholeFile(const fs::path& requested, std::string_view content, const fs::path& source,
                      std::string_view sourceRole) {
    const std::string name = requested.string();
    if (requested.empty()) return Error(ErrorKind::kNoFile, i18n::tx("no file name given"));
    // A link keeps naming the file: what it points at is replaced, not the link.
    fs::path target = requested;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(requested, error))) {
        const fs::path resolved = fs::weakly_canonical(requested, error);
        if (!error) target = resolved;
    }

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return Error(errno == EACCES ? ErrorKind::kNoAccess : ErrorKind::kFailed,
                     because(i18n::tx("cannot be written: %1")), name);
    if (exists && S_ISDIR(existing.st_mode))
        return Error(ErrorKind::kNotAFile, i18n::tx("is a folder"), name);
    if (exists && !S_ISREG(existing.st_mode))
        return Error(ErrorKind::kNotAFile, i18n::tx("is a pipe, a device or a socket, not a file"),
                     name);
    // Made read-only to keep it: a rename would replace it all the same.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return Error(ErrorKind::kNoAccess, i18n::tx("is read-only"), name);
    struct stat sourceInfo {};
    if (exists && !source.empty() && ::stat(source.c_str(), &sourceInfo) == 0 &&
        sourceInfo.st_dev == existing.st_dev && sourceInfo.st_ino == existing.st_ino)
        return Error(ErrorKind::kFailed,
                     // TRANSLATORS: %1 is "the module" or "the file read".
                     i18n::fill(i18n::tx("is %1 itself; choose another file"),
                                {i18n::tx(std::string(sourceRole).c_str())}),
                     name);

    const fs::path folder = target.parent_path();
    std::optional<platform::TemporaryFile> temporary = platform::TemporaryFile::create(folder);
    if (!temporary)
        return Error(errno == EACCES ? ErrorKind::kNoAccess : ErrorKind::kFailed,
                     because(i18n::tx("cannot be written in its folder: %1")), name);
    if (exists) ::fchmod(temporary->fd(), existing.st_mode & 07777);
    if (!platform::writeAll(temporary->fd(), content) || !temporary->finish())
        return Error(ErrorKind::kFailed, because(i18n::tx("cannot be written: %1")), name);
    if (!temporary->placeAt(target, platform::Placement::kReplace))
        return Error(ErrorKind::kFailed, because(i18n::tx("cannot be replaced: %1")), name);
    // The rename itself reaches the disk with the folder.
    platform::syncFolder(folder);
    return Status::success();
}

}  // namespace vexlor::authoring
