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
#include "rules/media.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

using platform::Descriptor;

// A file made here and removed on leaving, unless kept.
class TemporaryFile {
  public:
    explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { ::unlink(path_.c_str()); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Names of copies in the making; what a copy that was stopped leaves behind starts with it.
constexpr std::string_view kTemporaryPrefix = ".vexlor-media-";

constexpr std::string_view kEndings =
    "the game shows only gif, bmp and ico pictures and plays only mp3, mid and wav sounds";

// The name the copy gets: no folder, no character the game takes for a separator, and an
// ending the game knows in its lower-case spelling.
Result<std::string> mediaName(std::string_view chosen) {
    std::string name(chosen);
    for (char& c : name)
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return Error("\"" + name + "\" has no ending: " + std::string(kEndings));
    std::string ending = name.substr(dot + 1);
    for (char& c : ending)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    name = name.substr(0, dot + 1) + ending;
    const rules::MediaKind kind = rules::mediaKind(name);
    if (kind != rules::MediaKind::kPicture && kind != rules::MediaKind::kSound)
        return Error("\"" + std::string(chosen) +
                     "\" is neither a picture nor a sound the game "
                     "uses: " +
                     std::string(kEndings));
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
    Descriptor in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (in.get() < 0)
        return Error(errno == ENOENT ? ErrorKind::kNoFile : ErrorKind::kNoAccess,
                     std::string("cannot be read: ") + std::strerror(errno), sourceName);
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return Error(ErrorKind::kNoAccess, "cannot be read", sourceName);
    if (S_ISDIR(info.st_mode)) return Error(ErrorKind::kNotAFile, "is a folder", sourceName);
    if (!S_ISREG(info.st_mode))
        return Error(ErrorKind::kNotAFile, "is a pipe, a device or a socket, not a file",
                     sourceName);
    const std::string limit = std::to_string(kMaxMediaBytes / (1024 * 1024)) + " MiB";
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxMediaBytes)
        return Error(ErrorKind::kFailed, "is larger than the " + limit + " a media file may have",
                     sourceName);
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

    const fs::path folder = moduleFolder / kMediaFolder;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (!fs::exists(status) && !fs::create_directory(folder, error) && error)
        return Error(ErrorKind::kNoAccess, "cannot be made: " + error.message(), folder.string());
    if (fs::exists(status) && !fs::is_directory(status))
        return Error(ErrorKind::kNotAFile,
                     "is not a folder (a link or a file), so no media can be put into it",
                     folder.string());

    // The copy is made under a hidden name and given its own only when complete. The name is
    // short whatever the media's, so that any name the folder takes can be copied.
    static unsigned counter = 0;
    std::optional<TemporaryFile> temporary;
    Descriptor out;
    for (int attempt = 0; out.get() < 0; ++attempt) {
        const fs::path path = folder / (std::string(kTemporaryPrefix) + std::to_string(::getpid()) +
                                        "-" + std::to_string(counter++) + ".part");
        out = Descriptor(
            ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (out.get() >= 0) {
            temporary.emplace(path);
        } else if (errno != EEXIST || attempt == 100) {
            return Error(ErrorKind::kNoAccess,
                         std::string("cannot be written: ") + std::strerror(errno),
                         folder.string());
        }
    }
    std::array<char, 65536> buffer{};
    std::uintmax_t copied = 0;
    while (true) {
        const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Error(ErrorKind::kFailed, "cannot be read", sourceName);
        if (got == 0) break;
        copied += static_cast<std::uintmax_t>(got);
        // The file may grow while it is read.
        if (copied > kMaxMediaBytes)
            return Error(ErrorKind::kFailed, "grew past the " + limit + " a media file may have",
                         sourceName);
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::write(out.get(), buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0)
                return Error(ErrorKind::kFailed,
                             std::string("cannot be copied: ") + std::strerror(errno),
                             folder.string());
            done += put;
        }
    }
    if (::fsync(out.get()) != 0)
        return Error(ErrorKind::kFailed, std::string("cannot be copied: ") + std::strerror(errno),
                     folder.string());

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
        // A hard link fails when the name is taken, so no file is ever replaced.
        if (::link(temporary->path().c_str(), target.c_str()) == 0)
            return std::string(kMediaFolder) + "/" + candidate;
        if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
            // A file system without hard links (a memory stick's): the name is claimed with an
            // empty file, which the copy then replaces.
            const Descriptor claimed(
                ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
            if (claimed.get() >= 0 && ::rename(temporary->path().c_str(), target.c_str()) == 0)
                return std::string(kMediaFolder) + "/" + candidate;
            if (claimed.get() >= 0) ::unlink(target.c_str());
        }
        if (errno != EEXIST)
            return Error(ErrorKind::kNoAccess,
                         std::string("cannot be written: ") + std::strerror(errno),
                         target.string());
        if (sameBytes(target, out.get(), static_cast<off_t>(copied)))
            return std::string(kMediaFolder) + "/" + candidate;
    }
    return Error(ErrorKind::kFailed, "holds too many files named like " + *named, folder.string());
}

}  // namespace vexlor::authoring
