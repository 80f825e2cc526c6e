#include "modules/file_checks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/files.h"
#include "rules/refusals.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::modules::files {

namespace refusals = rules::refusals;

namespace {

enum class JournalState { kNone, kOwn, kForeign };

using platform::Links;
using platform::openForReading;

// Reads `size` bytes at `offset`; false when fewer are there.
bool readAt(int fd, std::uint64_t offset, unsigned char* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// A rollback journal that the engine would play back into the file on the next read. Its page 1
// record carries the salt that begins every encrypted module file, so a journal left beside a
// file by another one (a module replaced under the same name) is told apart from the file's own.
// A journal that holds no page 1 cannot be told apart and counts as the file's own. Only called
// once the journal is known to be a regular file.
JournalState journalState(const std::string& path) {
    // Never blocks (a pipe opens at once) and never follows a link at the last step.
    const auto journal = openForReading(path + "-journal", UINT64_MAX, Links::kRefuse);
    if (!journal) return JournalState::kNone;
    const auto size = static_cast<std::uint64_t>(journal.info.st_size);
    constexpr unsigned char kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
    unsigned char header[28] = {};
    // The engine ignores an empty journal, or one whose header was zeroed or never written.
    if (!readAt(journal.fd(), 0, header, sizeof header) || header[0] == 0 ||
        !std::equal(std::begin(kMagic), std::end(kMagic), header))
        return JournalState::kNone;
    std::uint32_t records = text::bigEndian32(header + 8);
    const std::uint32_t sectorSize = text::bigEndian32(header + 20);
    const std::uint32_t pageSize = text::bigEndian32(header + 24);
    if (sectorSize < sizeof header || sectorSize > 65536 || pageSize < 512 || pageSize > 65536)
        return JournalState::kForeign;

    unsigned char salt[16] = {};
    const auto file = openForReading(path, UINT64_MAX, Links::kRefuse);
    if (!file || !readAt(file.fd(), 0, salt, sizeof salt)) return JournalState::kOwn;

    std::vector<unsigned char> record(4 + pageSize + 4);
    // A journal whose header was written before its records counts them by its size, as the
    // engine does when it plays it back.
    if (records == 0 || records == 0xffffffff)
        records = size > sectorSize ? static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                          (size - sectorSize) / record.size(), 1'000'000))
                                    : 0;
    for (std::uint32_t i = 0; i < records && i < 1'000'000; ++i) {
        if (!readAt(journal.fd(), sectorSize + std::uint64_t{i} * record.size(), record.data(),
                    record.size()))
            break;
        if (text::bigEndian32(record.data()) != 1) continue;
        return std::equal(std::begin(salt), std::end(salt), record.begin() + 4)
                   ? JournalState::kOwn
                   : JournalState::kForeign;
    }
    return JournalState::kOwn;
}

// What lies at a path, without following a link there.
enum class Entry { kNothing, kRegular, kOther };
Entry entryAt(const std::string& path, struct stat& info) {
    if (::lstat(path.c_str(), &info) != 0) return Entry::kNothing;
    return S_ISREG(info.st_mode) ? Entry::kRegular : Entry::kOther;
}

bool exists(const std::string& path) {
    struct stat info {};
    return entryAt(path, info) != Entry::kNothing;
}

// "a folder", "a named pipe", ... for a file that is not a regular one.
std::string kindOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return std::string(refusals::kFolder);
    if (S_ISFIFO(info.st_mode)) return std::string(refusals::kPipe);
    if (S_ISLNK(info.st_mode)) return std::string(refusals::kSymbolicLink);
    if (S_ISSOCK(info.st_mode)) return std::string(refusals::kSocket);
    return std::string(refusals::kDevice);
}

// A refusal of `path`: `why` is English (the game's words, rules/refusals.h, or marked where it
// is given), looked up once, here where it is said.
Status refused(ErrorKind problem, std::string_view why, const std::string& path) {
    return Status(Error(problem, refusals::inLanguage(why), path));
}

}  // namespace

Status checkPath(const std::string& path, struct stat& info) {
    auto refuse = [&](ErrorKind problem, std::string_view why) {
        return refused(problem, why, path);
    };
    if (path.empty()) return refuse(ErrorKind::kNoFile, refusals::kNoFileName);
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == EACCES) return refuse(ErrorKind::kNoAccess, refusals::kUnreadable);
        if (errno == ENAMETOOLONG) return refuse(ErrorKind::kNoFile, refusals::kPathTooLong);
        if (errno == ELOOP) return refuse(ErrorKind::kNoFile, refusals::kLinkLoop);
        return refuse(ErrorKind::kNoFile,
                      exists(path) ? refusals::kDanglingLink : refusals::kNoSuchFile);
    }
    if (!S_ISREG(info.st_mode))
        return Status(Error(ErrorKind::kNotAFile, refusals::notAFile(kindOf(info)), path));
    if (::access(path.c_str(), R_OK) != 0)
        return refuse(ErrorKind::kNoAccess, refusals::kUnreadable);
    return Status::success();
}

Status checkFile(const std::string& path, Access access, struct stat& info) {
    if (Status reachable = checkPath(path, info); !reachable) return reachable;
    auto refuse = [&](ErrorKind problem, std::string_view why) {
        return refused(problem, why, path);
    };
    // The engine opens these side files as it pleases, blocking on a pipe: anything there that
    // is not a plain file is refused before the engine looks.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        struct stat side {};
        if (entryAt(path + suffix, side) != Entry::kOther) continue;
        const std::string name = path.substr(path.find_last_of('/') + 1) + suffix;
        return Status(Error(ErrorKind::kForeignJournal,
                            i18n::fill(i18n::tx("%1 beside it is %2, not a journal the module "
                                                "could have written; remove it"),
                                       {name, refusals::inLanguage(kindOf(side))}),
                            path));
    }
    // Modules never use a write-ahead log; one beside a file belongs to something else.
    if (exists(path + "-wal") || exists(path + "-shm"))
        return refuse(ErrorKind::kForeignJournal,
                      VX_N("a write-ahead log (-wal or -shm file) lies beside it; modules "
                           "never use one, so it belongs to another file and is not applied"));
    switch (journalState(path)) {
        case JournalState::kNone:
            break;
        case JournalState::kForeign:
            return refuse(
                ErrorKind::kForeignJournal,
                VX_N("the journal beside it (-journal file) belongs to another file and is "
                     "not applied; remove it if this module is intact"));
        case JournalState::kOwn:
            if (access == Access::kReadOnly)
                return refuse(ErrorKind::kNeedsRecovery, refusals::kNeedsRecovery);
            break;
    }
    return Status::success();
}

}  // namespace vexlor::modules::files
