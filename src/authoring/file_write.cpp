#include "authoring/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "platform/descriptor.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

using platform::Descriptor;

std::string because(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// A name that fits any folder however long the target's own name, hidden from file lists.
std::string temporaryName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string name = ".vx";
    for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

// The temporary file: closed, and removed unless it was renamed into place.
class Temporary {
  public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() {
        if (fd >= 0) ::close(fd);
        if (!path.empty()) ::unlink(path.c_str());
    }
    /// Closes the file; false when the close reports a failed write.
    bool close() { return ::close(std::exchange(fd, -1)) == 0; }

    int fd = -1;
    fs::path path;
};

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t put = ::write(fd, content.data(), content.size());
        if (put < 0 && errno == EINTR) continue;
        if (put == 0) errno = ENOSPC;
        if (put <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

Status writeWholeFile(const fs::path& requested, std::string_view content, const fs::path& source,
                      std::string_view sourceRole) {
    const std::string name = requested.string();
    if (requested.empty()) return Error(ErrorKind::kNoFile, "no file name given");
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
                     because("cannot be written"), name);
    if (exists && S_ISDIR(existing.st_mode))
        return Error(ErrorKind::kNotAFile, "is a folder", name);
    if (exists && !S_ISREG(existing.st_mode))
        return Error(ErrorKind::kNotAFile, "is a pipe, a device or a socket, not a file", name);
    // Made read-only to keep it: a rename would replace it all the same.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return Error(ErrorKind::kNoAccess, "is read-only", name);
    struct stat sourceInfo {};
    if (exists && !source.empty() && ::stat(source.c_str(), &sourceInfo) == 0 &&
        sourceInfo.st_dev == existing.st_dev && sourceInfo.st_ino == existing.st_ino)
        return Error(ErrorKind::kFailed,
                     "is " + std::string(sourceRole) + " itself; choose another file", name);

    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    Temporary temporary;
    for (int attempt = 0; attempt < 100 && temporary.fd < 0; ++attempt) {
        const fs::path candidate = folder / temporaryName();
        temporary.fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (temporary.fd >= 0)
            temporary.path = candidate;
        else if (errno != EEXIST)
            break;
    }
    if (temporary.fd < 0)
        return Error(errno == EACCES ? ErrorKind::kNoAccess : ErrorKind::kFailed,
                     because("cannot be written in its folder"), name);
    if (exists) ::fchmod(temporary.fd, existing.st_mode & 07777);
    if (!writeAll(temporary.fd, content) || ::fsync(temporary.fd) != 0 || !temporary.close())
        return Error(ErrorKind::kFailed, because("cannot be written"), name);
    if (::rename(temporary.path.c_str(), target.c_str()) != 0)
        return Error(ErrorKind::kFailed, because("cannot be replaced"), name);
    temporary.path.clear();
    // The rename itself reaches the disk with the folder.
    if (const Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        directory)
        ::fsync(directory.get());
    return Status::success();
}

}  // namespace vexlor::authoring
