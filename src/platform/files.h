#pragma once

// The two ways the program touches a file's bytes: reading a file that may be anything (a pipe,
// a folder, a device, a link, a file of gigabytes) and writing one so that it appears whole or
// not at all.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/descriptor.h"

namespace vexlor::platform {

/// Whether the last step of a path may be a symbolic link.
enum class Links { kFollow, kRefuse };

/// A file opened for reading by openForReading, or why it was not.
struct ReadableFile {
    enum class Problem {
        kNone,
        kCannotOpen,  ///< the open failed: `error` says why (ELOOP: a link, with Links::kRefuse)
        kFolder,
        kNotRegular,  ///< a pipe, a device or a socket
        kTooLarge,    ///< a regular file over the size allowed
    };
    Problem problem = Problem::kNone;
    int error = 0;          ///< errno of a failed open
    struct stat info {};    ///< what the open file is, when it opened
    Descriptor descriptor;  ///< open only when there is no problem

    explicit operator bool() const { return problem == Problem::kNone; }
    int fd() const { return descriptor.get(); }
};

/// Opens `path` for reading without waiting (a pipe with no writer, a terminal or a device
/// cannot hold the caller) and tells what it is from the open file, not from the name, which may
/// change in between. Only a regular file of at most `maxBytes` is kept open, in blocking mode.
ReadableFile openForReading(const std::filesystem::path& path, std::uint64_t maxBytes,
                            Links links = Links::kFollow);

/// Reads the open file `fd` from where it stands to its end, at most `maxBytes` + 1 bytes, so a
/// file that grew past the limit shows it by its length. Nothing when a read fails (errno says
/// why).
std::optional<std::string> readAll(int fd, std::uint64_t maxBytes);

/// openForReading then readAll: a regular file's bytes, or nothing for anything else, for a
/// file over `maxBytes` or one that grew past it.
std::optional<std::string> readRegularFile(const std::filesystem::path& path,
                                           std::uint64_t maxBytes);

/// Writes all of `bytes`, going on after interrupted and short writes. False with errno set
/// (ENOSPC when the disk took nothing).
bool writeAll(int fd, std::string_view bytes);

/// How copyAll ended.
enum class CopyEnd { kDone, kReadFailed, kWriteFailed, kTooLarge };

/// Copies what `from` holds after its position into `to`, at most `maxBytes` (kTooLarge when
/// there is more: a file that grows while it is read). `afterEachBlock` runs after every block
/// written. On a failure errno says why.
CopyEnd copyAll(int from, int to, std::uint64_t maxBytes,
                const std::function<void()>& afterEachBlock = {});

/// Whether a file put in place may replace what has its name.
enum class Placement { kReplace, kKeepExisting };

/// Renames `from` to `to`. With kKeepExisting it fails with errno EEXIST when `to` is taken,
/// by anything, even on a file system without the kernel's no-replace flag (a hard link, or an
/// empty file claimed with O_EXCL and then replaced, where there are no hard links either).
/// False with errno set.
bool putInPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                Placement placement);

/// Syncs a folder, so the names just made or renamed in it last; a failure only means they may
/// come late.
void syncFolder(const std::filesystem::path& folder);

/// A new file under a hidden name of its own in a folder, removed when it goes out of scope
/// unless it was put in place. Write it through `fd()`, then `finish()` and `placeAt()`.
class TemporaryFile {
  public:
    /// Makes the file "`prefix`PID-N`suffix`" in `folder` (a short name, so that it fits any
    /// folder whatever the target's own name); nothing, errno set, when none can be made.
    static std::optional<TemporaryFile> create(const std::filesystem::path& folder,
                                               std::string_view prefix = ".vx",
                                               std::string_view suffix = ".part",
                                               mode_t mode = 0666);
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    TemporaryFile(const TemporaryFile&) = delete;
    ~TemporaryFile();

    int fd() const { return descriptor_.get(); }
    const std::filesystem::path& path() const { return path_; }
    /// Syncs the bytes to the disk and closes the file; false (errno set) when either fails,
    /// a late report of a failed write.
    bool finish();
    /// Moves the file to `target`; false with errno set, the file still here (EEXIST: another
    /// name may be tried).
    bool placeAt(const std::filesystem::path& target, Placement placement);

  private:
    TemporaryFile(Descriptor descriptor, std::filesystem::path path)
        : descriptor_(std::move(descriptor)), path_(std::move(path)) {}
    Descriptor descriptor_;
    std::filesystem::path path_;  ///< empty once placed
};

/// Makes `target` hold exactly `content`: written to a temporary file in its folder, synced,
/// then renamed to it (over a file there only with kReplace). A failure at any point leaves the
/// target as it was and no temporary file behind. With `mode`, the file gets those permissions.
/// False with errno set.
bool writeFileWhole(const std::filesystem::path& target, std::string_view content,
                    Placement placement, std::optional<mode_t> mode = std::nullopt);

/// `path` made absolute against the current folder; as it is when that folder cannot be told
/// (removed under the program), rather than an exception.
std::filesystem::path absolutePath(const std::filesystem::path& path);

}  // namespace vexlor::platform
