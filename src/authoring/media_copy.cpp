#include "authoring/media_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/descriptor.h"
#include "platform/files.h"
#include "rules/media.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

using platform::Descriptor;

// Names of copies in the making; what a copy that was stopped leaves behind starts with it.
constexpr std::string_view kTemporaryPrefix = ".vexlor-media-";

using i18n::fill;
using i18n::tx;

// The name the copy gets: no folder, no character the game takes for a separator, and an
// ending the game knows in its lower-case spelling.
Result<std::string> mediaName(std::string_view chosen) {
    std::string name(chosen);
    for (char& c : name)
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        // TRANSLATORS: %1 is the name of a file chosen as a question's picture or sound.
        return Error(fill(tx("\"%1\" has no ending: the game shows only gif, bmp and ico pictures "
                             "and plays only mp3, mid and wav sounds"),
                          {name}));
    std::string ending = name.substr(dot + 1);
    for (char& c : ending)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    name = name.substr(0, dot + 1) + ending;
    const rules::MediaKind kind = rules::mediaKind(name);
    if (kind != rules::MediaKind::kPicture && kind != rules::MediaKind::kSound)
        return Error(fill(tx("\"%1\" is neither a picture nor a sound the game uses: the game "
                             "shows only gif, bmp and ico pictures and plays only mp3, mid and "
                             "wav sounds"),
                          {chosen}));
    return name;
}

// The longest start of `text` of at most `bytes` bytes that cuts no UTF-8 character in two.
std::string leadingCharacters(std::string_view text, std::size_t bytes) {
    std::size_t end = 0;
    for (std::size_t next = 0; next < text.size(); end = next) {
        next += text::utf8CharacterLength(text, next);
        if (next > bytes) break;
    }
    return std::string(text.substr(0, end));
}

// Whether the file at `path` is a plain file with the same bytes as the open file `copy`.
bool sameBytes(const fs::path& path, int copy, off_t size) {
    const Descriptor other(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (other.get() < 0 || ::fstat(other.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size != size)
        return false;
    std::array<char, 65536> a{}, b{};
    for (off_t at = 0; at < size;) {
        const ssize_t got = ::pread(copy, a.data(), a.size(), at);
        if (got <= 0 || ::pread(other.get(), b.data(), static_cast<std::size_t>(got), at) != got ||
            std::memcmp(a.data(), b.data(), static_cast<std::size_t>(got)) != 0)
            return false;
        at += got;
    }
    return true;
}

}  // namespace

Result<std::string> copyMedia(const fs::path& source, const fs::path& moduleFolder,
                              std::string_view name) {
    const std::string sourceName = source.string();
    auto named = mediaName(name.empty() ? source.filename().string() : std::string(name));
    if (!named) return named.error().about(sourceName);

    // Opened without waiting, so a pipe with no writer cannot hold the editor; what it is is
    // told by the open file, not by the name, which may change in between.
    const std::string limit = fill(tx("%1 MiB"), {std::to_string(kMaxMediaBytes / (1024 * 1024))});
    const platform::ReadableFile in = platform::openForReading(source, kMaxMediaBytes);
    switch (in.problem) {
        case platform::ReadableFile::Problem::kNone:
            break;
        case platform::ReadableFile::Problem::kCannotOpen:
            return Error(in.error == ENOENT ? ErrorKind::kNoFile : ErrorKind::kNoAccess,
                         fill(tx("cannot be read: %1"), {std::strerror(in.error)}), sourceName);
        case platform::ReadableFile::Problem::kFolder:
            return Error(ErrorKind::kNotAFile, tx("is a folder"), sourceName);
        case platform::ReadableFile::Problem::kNotRegular:
            return Error(ErrorKind::kNotAFile, tx("is a pipe, a device or a socket, not a file"),
                         sourceName);
        case platform::ReadableFile::Problem::kTooLarge:
            return Error(ErrorKind::kFailed,
                         fill(tx("is larger than the %1 a media file may have"), {limit}),
                         sourceName);
    }

    const fs::path folder = moduleFolder / kMediaFolder;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (!fs::exists(status) && !fs::create_directory(folder, error) && error)
        return Error(ErrorKind::kNoAccess, fill(tx("cannot be made: %1"), {error.message()}),
                     folder.string());
    if (fs::exists(status) && !fs::is_directory(status))
        return Error(ErrorKind::kNotAFile,
                     tx("is not a folder (a link or a file), so no media can be put into it"),
                     folder.string());

    // The copy is made under a hidden name and given its own only when complete. The name is
    // short whatever the media's, so that any name the folder takes can be copied.
    std::optional<platform::TemporaryFile> temporary =
        platform::TemporaryFile::create(folder, kTemporaryPrefix, ".part", 0644);
    if (!temporary)
        return Error(ErrorKind::kNoAccess,
                     fill(tx("cannot be written: %1"), {std::strerror(errno)}), folder.string());
    switch (platform::copyAll(in.fd(), temporary->fd(), kMaxMediaBytes)) {
        case platform::CopyEnd::kDone:
            break;
        case platform::CopyEnd::kReadFailed:
            return Error(ErrorKind::kFailed, tx("cannot be read"), sourceName);
        // The file may grow while it is read.
        case platform::CopyEnd::kTooLarge:
            return Error(ErrorKind::kFailed,
                         fill(tx("grew past the %1 a media file may have"), {limit}), sourceName);
        case platform::CopyEnd::kWriteFailed:
            return Error(ErrorKind::kFailed,
                         fill(tx("cannot be copied: %1"), {std::strerror(errno)}), folder.string());
    }
    if (::fsync(temporary->fd()) != 0)
        return Error(ErrorKind::kFailed, fill(tx("cannot be copied: %1"), {std::strerror(errno)}),
                     folder.string());
    const auto copied = static_cast<off_t>(::lseek(temporary->fd(), 0, SEEK_CUR));

    const std::size_t dot = named->rfind('.');
    const std::string stem = named->substr(0, dot), ending = named->substr(dot);
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    for (int number = 1; number <= 1000; ++number) {
        // A numbered name gives up the end of its stem rather than grow past the longest name.
        const std::string suffix = "-" + std::to_string(number) + ending;
        const std::size_t room = longest > 0 && static_cast<std::size_t>(longest) > suffix.size()
                                     ? static_cast<std::size_t>(longest) - suffix.size()
                                     : stem.size();
        const std::string candidate = number == 1 ? *named : leadingCharacters(stem, room) + suffix;
        const fs::path target = folder / candidate;
        // Never over a file there: a name taken is compared, then the next one tried.
        if (temporary->placeAt(target, platform::Placement::kKeepExisting))
            return std::string(kMediaFolder) + "/" + candidate;
        if (errno != EEXIST)
            return Error(ErrorKind::kNoAccess,
                         fill(tx("cannot be written: %1"), {std::strerror(errno)}),
                         target.string());
        if (sameBytes(target, temporary->fd(), copied))
            return std::string(kMediaFolder) + "/" + candidate;
    }
    // TRANSLATORS: said of a folder; %1 is a file's name.
    return Error(ErrorKind::kFailed, fill(tx("holds too many files named like %1"), {*named}),
                 folder.string());
}

}  // namespace vexlor::authoring
