#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <utility>

namespace vexlor::platform {

namespace fs = std::filesystem;

ReadableFile openForReading(const fs::path& path, std::uint64_t maxBytes, Links links) {
    ReadableFile file;
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (links == Links::kRefuse ? O_NOFOLLOW : 0);
    Descriptor descriptor(::open(path.c_str(), flags));
    if (!descriptor || ::fstat(descriptor.get(), &file.info) != 0) {
        file.problem = ReadableFile::Problem::kCannotOpen;
        file.error = errno;
        return file;
    }
    if (S_ISDIR(file.info.st_mode))
        file.problem = ReadableFile::Problem::kFolder;
    else if (!S_ISREG(file.info.st_mode))
        file.problem = ReadableFile::Problem::kNotRegular;
    else if (static_cast<std::uint64_t>(file.info.st_size) > maxBytes)
        file.problem = ReadableFile::Problem::kTooLarge;
    if (file.problem != ReadableFile::Problem::kNone) return file;
    // A regular file never blocks; reads are plain from here.
    ::fcntl(descriptor.get(), F_SETFL, ::fcntl(descriptor.get(), F_GETFL) & ~O_NONBLOCK);
    file.descriptor = std::move(descriptor);
    return file;
}

std::optional<std::string> readAll(int fd, std::uint64_t maxBytes) {
    std::string bytes;
    std::array<char, 64 * 1024> block{};
    while (bytes.size() <= maxBytes) {
        const std::size_t room = std::min<std::uint64_t>(block.size(), maxBytes + 1 - bytes.size());
        const ssize_t got = ::read(fd, block.data(), room);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        bytes.append(block.data(), static_cast<std::size_t>(got));
    }
    return bytes;
}

std::optional<std::string> readRegularFile(const fs::path& path, std::uint64_t maxBytes) {
    const ReadableFile file = openForReading(path, maxBytes);
    if (!file) return std::nullopt;
    std::optional<std::string> bytes = readAll(file.fd(), maxBytes);
    if (bytes && bytes->size() > maxBytes) return std::nullopt;
    return bytes;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put == 0) errno = ENOSPC;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

CopyEnd copyAll(int from, int to, std::uint64_t maxBytes,
                const std::function<void()>& afterEachBlock) {
    std::array<char, 64 * 1024> block{};
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return CopyEnd::kReadFailed;
        if (got == 0) return CopyEnd::kDone;
        copied += static_cast<std::uint64_t>(got);
        if (copied > maxBytes) return CopyEnd::kTooLarge;
        if (!writeAll(to, std::string_view(block.data(), static_cast<std::size_t>(got))))
            return CopyEnd::kWriteFailed;
        if (afterEachBlock) afterEachBlock();
    }
}

bool putInPlace(const fs::path& from, const fs::path& to, Placement placement) {
    if (placement == Placement::kReplace) return ::rename(from.c_str(), to.c_str()) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a hard link refuses a name that is taken as well.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return false;
    // Nor hard links (a memory stick's): the name is claimed with an empty file, which the
    // rename then replaces.
    const Descriptor claimed(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!claimed) return false;
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    const int code = errno;
    ::unlink(to.c_str());
    errno = code;
    return false;
}

void syncFolder(const fs::path& folder) {
    const Descriptor directory(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory) ::fsync(directory.get());
}

std::optional<TemporaryFile> TemporaryFile::create(const fs::path& folder, std::string_view prefix,
                                                   std::string_view suffix, mode_t mode) {
    static std::atomic<unsigned> counter = 0;
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path path = where / (std::string(prefix) + std::to_string(::getpid()) + "-" +
                                       std::to_string(counter++) + std::string(suffix));
        Descriptor descriptor(
            ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (descriptor) return TemporaryFile(std::move(descriptor), path);
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : descriptor_(std::move(other.descriptor_)), path_(std::exchange(other.path_, {})) {}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

bool TemporaryFile::finish() {
    const bool synced = ::fsync(descriptor_.get()) == 0;
    const int code = errno;
    const bool closed = ::close(descriptor_.release()) == 0;
    if (!synced) errno = code;
    return synced && closed;
}

bool TemporaryFile::placeAt(const fs::path& target, Placement placement) {
    if (!putInPlace(path_, target, placement)) return false;
    path_.clear();
    return true;
}

bool writeFileWhole(const fs::path& target, std::string_view content, Placement placement,
                    std::optional<mode_t> mode) {
    std::optional<TemporaryFile> temporary = TemporaryFile::create(target.parent_path());
    if (!temporary) return false;
    if (mode) ::fchmod(temporary->fd(), *mode);
    if (!writeAll(temporary->fd(), content) || !temporary->finish() ||
        !temporary->placeAt(target, placement))
        return false;
    syncFolder(target.parent_path());
    return true;
}

fs::path absolutePath(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute;
}

}  // namespace vexlor::platform
