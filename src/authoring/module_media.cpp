#include "authoring/module_media.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/files.h"
#include "rules/media.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using platform::Descriptor;

namespace {

using i18n::fill;
using i18n::tx;

std::string mebibytes(std::uintmax_t bytes) {
    return fill(tx("%1 MiB"), {std::to_string(bytes / (1024 * 1024))});
}

// Whether two plain files hold the same bytes; anything else is not the same.
bool sameBytes(const fs::path& a, const fs::path& b) {
    std::uintmax_t sizeA = 0, sizeB = 0;
    auto first = openPlainFile(a, kMaxMediaBytes, &sizeA);
    auto second = openPlainFile(b, kMaxMediaBytes, &sizeB);
    if (!first || !second || sizeA != sizeB) return false;
    std::array<char, 65536> x{}, y{};
    for (std::uintmax_t at = 0; at < sizeA;) {
        const ssize_t got = ::pread(first->get(), x.data(), x.size(), static_cast<off_t>(at));
        if (got <= 0 ||
            ::pread(second->get(), y.data(), static_cast<std::size_t>(got),
                    static_cast<off_t>(at)) != got ||
            std::memcmp(x.data(), y.data(), static_cast<std::size_t>(got)) != 0)
            return false;
        at += static_cast<std::uintmax_t>(got);
    }
    return true;
}

// Copies at most `limit` bytes of `in` into `out`; more is refused.
Status copyBounded(int in, int out, std::uintmax_t limit, const fs::path& source,
                   const fs::path& copy) {
    std::array<char, 65536> buffer{};
    std::uintmax_t copied = 0;
    while (true) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            return Error(ErrorKind::kFailed, fill(tx("cannot be read: %1"), {std::strerror(errno)}),
                         source.string());
        if (got == 0) break;
        copied += static_cast<std::uintmax_t>(got);
        // The file may grow while it is read.
        if (copied > limit)
            return Error(ErrorKind::kFailed,
                         fill(tx("grew past the %1 it may have"), {mebibytes(limit)}),
                         source.string());
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0)
                return Error(ErrorKind::kFailed,
                             fill(tx("cannot be written: %1"), {std::strerror(errno)}),
                             copy.parent_path().string());
            done += put;
        }
    }
    if (::fsync(out) != 0)
        return Error(ErrorKind::kFailed, fill(tx("cannot be written: %1"), {std::strerror(errno)}),
                     copy.parent_path().string());
    return Status::success();
}

}  // namespace

// Makes the folders of `relative` under `root` that are missing, noting each one made; a link
// or a file where a folder should be is refused, so nothing is written outside `root`.
Status makeFolders(const fs::path& root, const fs::path& relative, std::vector<fs::path>& made) {
    fs::path folder = root;
    for (const fs::path& part : relative) {
        folder /= part;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(folder, error);
        if (fs::is_directory(status)) continue;
        if (fs::exists(status))
            return Error(ErrorKind::kNotAFile, tx("is a link or a file, where a folder is needed"),
                         folder.string());
        if (!fs::create_directory(folder, error))
            return Error(ErrorKind::kNoAccess, fill(tx("cannot be made: %1"), {error.message()}),
                         folder.string());
        made.push_back(folder);
    }
    return Status::success();
}

// Puts the complete copy `temporary` at `target` without replacing anything: false when the name
// is taken, an error when it cannot be written.
Result<bool> placeWithoutReplacing(const fs::path& temporary, const fs::path& target) {
    if (::link(temporary.c_str(), target.c_str()) == 0) return true;
    if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
        // A file system without hard links (a memory stick's): the name is claimed with an empty
        // file, which the copy then replaces.
        const Descriptor claimed(
            ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (claimed && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
        const int why = errno;
        if (claimed) ::unlink(target.c_str());
        errno = why;
    }
    if (errno == EEXIST) return false;
    return Error(ErrorKind::kNoAccess, fill(tx("cannot be written: %1"), {std::strerror(errno)}),
                 target.string());
}

MediaSurvey surveyMedia(const std::vector<Question>& questions, const fs::path& folder) {
    MediaSurvey survey;
    std::string home = folder.empty() ? std::string("./") : folder.string();
    if (home.back() != '/') home += '/';
    const platform::StdFileSystem fileSystem;
    std::map<std::string, std::size_t> byName;
    for (std::size_t row = 0; row < questions.size(); ++row) {
        const std::string& media = questions[row].media;
        const rules::MediaKind kind = rules::mediaKind(media);
        if (kind != rules::MediaKind::kPicture && kind != rules::MediaKind::kSound) continue;
        // TRANSLATORS: %1 is the question's number, %2 its media file's name.
        auto left = [&](const char* why) {
            survey.left.push_back(fill(why, {std::to_string(row + 1), media}));
        };
        rules::MediaFile found = rules::lookUpMedia(fileSystem, home, media);
        switch (found.found) {
            case rules::MediaFile::kFound: {
                std::string name = found.path.substr(home.size());
                auto [place, added] = byName.emplace(name, survey.files.size());
                if (added) survey.files.push_back({std::move(name), std::move(found.path), {}});
                survey.files[place->second].rows.push_back(row);
                break;
            }
            case rules::MediaFile::kMissing: {
                // The game takes only a plain file: a folder or a pipe of that name is told
                // apart from no file at all.
                std::string exact = media;
                std::replace(exact.begin(), exact.end(), '\\', '/');
                std::error_code error;
                const bool something = fs::exists(fs::symlink_status(home + exact, error));
                if (something)
                    left(
                        tx("question %1: \"%2\" is not a plain file (a folder, a pipe or a "
                           "device)"));
                else
                    left(tx("question %1: \"%2\" is not in the module's folder"));
                break;
            }
            case rules::MediaFile::kNotRelative:
                left(tx("question %1: \"%2\" lies outside the module's folder"));
                break;
            case rules::MediaFile::kOutside:
                left(tx("question %1: \"%2\" is a link leading outside the module's folder"));
                break;
        }
    }
    return survey;
}

Result<Descriptor> openPlainFile(const fs::path& path, std::uintmax_t limit, std::uintmax_t* size) {
    // Opened without waiting, so a pipe with no writer cannot hold the program; what it is is
    // told by the open file, not by the name, which may change in between.
    platform::ReadableFile in = platform::openForReading(path, limit, platform::Links::kRefuse);
    switch (in.problem) {
        case platform::ReadableFile::Problem::kNone:
            break;
        case platform::ReadableFile::Problem::kCannotOpen:
            return Error(in.error == ENOENT ? ErrorKind::kNoFile : ErrorKind::kNoAccess,
                         fill(tx("cannot be read: %1"), {std::strerror(in.error)}), path.string());
        case platform::ReadableFile::Problem::kFolder:
            return Error(ErrorKind::kNotAFile, tx("is a folder"), path.string());
        case platform::ReadableFile::Problem::kNotRegular:
            return Error(ErrorKind::kNotAFile, tx("is a pipe, a device or a socket, not a file"),
                         path.string());
        case platform::ReadableFile::Problem::kTooLarge:
            return Error(ErrorKind::kFailed,
                         fill(tx("is larger than the %1 it may have"), {mebibytes(limit)}),
                         path.string());
    }
    if (size) *size = static_cast<std::uintmax_t>(in.info.st_size);
    return std::move(in.descriptor);
}

PlacedMedia::PlacedMedia(PlacedMedia&& other) noexcept
    : placed_(std::move(other.placed_)),
      madeFolders_(std::move(other.madeFolders_)),
      renamed_(std::move(other.renamed_)),
      rowNames_(std::move(other.rowNames_)),
      reused_(other.reused_),
      kept_(other.kept_) {
    other.kept_ = true;
}

PlacedMedia::~PlacedMedia() {
    if (!kept_) undo();
}

std::vector<Question> PlacedMedia::follow(std::vector<Question> questions) const {
    for (const auto& [row, name] : rowNames_)
        if (row < questions.size()) questions[row].media = name;
    return questions;
}

void PlacedMedia::keep() {
    kept_ = true;
}

void PlacedMedia::undo() {
    for (const fs::path& file : placed_) ::unlink(file.c_str());
    // The deepest first; a folder something else was put into meanwhile stays.
    for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder)
        ::rmdir(folder->c_str());
    placed_.clear();
    madeFolders_.clear();
}

Result<PlacedMedia> copyUsedMedia(const MediaSurvey& survey, const fs::path& target) {
    PlacedMedia result;
    struct Copy {
        const UsedMedia* media;
        fs::path temporary;
    };
    std::vector<Copy> copies;
    // The hidden copies go whatever happens: placed ones are links to them, or renamed.
    struct Temporaries {
        std::vector<Copy>& copies;
        ~Temporaries() {
            for (const Copy& copy : copies) ::unlink(copy.temporary.c_str());
        }
    } temporaries{copies};

    static unsigned counter = 0;
    std::uintmax_t total = 0;
    for (const UsedMedia& media : survey.files) {
        std::uintmax_t size = 0;
        auto in = openPlainFile(media.file, kMaxMediaBytes, &size);
        if (!in) return in.error();
        total += size;
        if (total > kMaxModuleMediaBytes)
            return Error(ErrorKind::kFailed,
                         fill(tx("the media files hold more than the %1 copied with a module"),
                              {mebibytes(kMaxModuleMediaBytes)}),
                         media.file.string());
        const fs::path destination = target / media.name;
        std::error_code error;
        if (fs::equivalent(media.file, destination, error)) {
            ++result.reused_;
            continue;
        }
        if (Status made =
                makeFolders(target, fs::path(media.name).parent_path(), result.madeFolders_);
            !made)
            return made.error();
        Copy copy{&media,
                  destination.parent_path() / (".vexlor-media-" + std::to_string(::getpid()) + "-" +
                                               std::to_string(counter++) + ".part")};
        const Descriptor out(::open(copy.temporary.c_str(),
                                    O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (!out)
            return Error(ErrorKind::kNoAccess,
                         fill(tx("cannot be written: %1"), {std::strerror(errno)}),
                         destination.parent_path().string());
        copies.push_back(copy);
        if (Status done =
                copyBounded(in->get(), out.get(), kMaxMediaBytes, media.file, copy.temporary);
            !done)
            return done.error();
    }

    for (const Copy& copy : copies) {
        const fs::path name(copy.media->name);
        const std::string stem = name.stem().string(), ending = name.extension().string();
        const fs::path folder = target / name.parent_path();
        for (int number = 1;; ++number) {
            if (number > 1000)
                return Error(
                    ErrorKind::kFailed,
                    fill(tx("holds too many files named like %1"), {name.filename().string()}),
                    folder.string());
            const std::string leaf = number == 1 ? name.filename().string()
                                                 : stem + "-" + std::to_string(number) + ending;
            const fs::path candidate = folder / leaf;
            auto placed = placeWithoutReplacing(copy.temporary, candidate);
            if (!placed) return placed.error();
            if (*placed) result.placed_.push_back(candidate);
            // The same file already there is used as it is; a different one keeps its name.
            else if (sameBytes(candidate, copy.temporary))
                ++result.reused_;
            else
                continue;
            if (number > 1) {
                const std::string renamed = (name.parent_path() / leaf).generic_string();
                result.renamed_[copy.media->name] = renamed;
                for (std::size_t row : copy.media->rows) result.rowNames_[row] = renamed;
            }
            break;
        }
    }
    return result;
}

}  // namespace vexlor::authoring
