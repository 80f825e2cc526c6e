#include "rules/media.h"
#include "text/text.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vexlor::rules {

namespace {

// The folder names and the file name of a relative media text; nothing when it is not one.
std::optional<std::vector<std::string>> relativeParts(std::string_view audio) {
    std::string text(audio);
    std::replace(text.begin(), text.end(), '\\', '/');
    // A leading separator is not the root: Windows modules joined the folder, a separator and
    // the name, so "\\dog.wav" meant the file in the module's folder.
    if (text.empty()) return std::nullopt;
    // "C:x.wav" is relative to another drive's current folder on Windows: never ours.
    if (text.size() >= 2 && text[1] == ':') return std::nullopt;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        parts.push_back(std::move(part));
    }
    if (parts.empty()) return std::nullopt;
    return parts;
}

// The file the parts name under the folder: the exact name, or else one differing in case.
std::optional<std::string> namedFile(const platform::FileSystem& fileSystem,
                                     const std::string& folder,
                                     const std::vector<std::string>& parts) {
    std::string exact = folder;
    for (std::size_t i = 0; i < parts.size(); ++i) exact += (i ? "/" : "") + parts[i];
    if (!fileSystem.fileName(exact).empty()) return exact;

    // Only when the exact name is missing are folders listed, one level at a time.
    std::string path = folder;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& wanted = parts[i];
        const auto entries = fileSystem.folderEntries(path);
        auto found = std::find(entries.begin(), entries.end(), wanted);
        if (found == entries.end())
            found = std::find_if(entries.begin(), entries.end(), [&](const std::string& name) {
                return text::equalsIgnoringCase(name, wanted);
            });
        if (found == entries.end()) return std::nullopt;
        path += *found;
        if (i + 1 < parts.size()) path += '/';
    }
    if (fileSystem.fileName(path).empty()) return std::nullopt;
    return path;
}

}  // namespace

MediaKind mediaKind(std::string_view name) {
    static constexpr std::array<std::string_view, 6> kSoundEndings = {"mp3", "MP3", "mid",
                                                                      "MID", "wav", "WAV"};
    static constexpr std::array<std::string_view, 6> kPictureEndings = {"gif", "GIF", "bmp",
                                                                        "BMP", "ico", "ICO"};
    if (name.empty()) return MediaKind::kNone;
    if (name.size() < 3) return MediaKind::kNotPlayed;
    const std::string_view ending = name.substr(name.size() - 3);
    if (std::find(kSoundEndings.begin(), kSoundEndings.end(), ending) != kSoundEndings.end())
        return MediaKind::kSound;
    if (std::find(kPictureEndings.begin(), kPictureEndings.end(), ending) != kPictureEndings.end())
        return MediaKind::kPicture;
    return MediaKind::kNotPlayed;
}

MediaFile lookUpMedia(const platform::FileSystem& fileSystem, const std::string& folder,
                      std::string_view audio) {
    if (folder.empty() || folder.back() != '/') return {MediaFile::kMissing, {}};
    const auto parts = relativeParts(audio);
    if (!parts) return {MediaFile::kNotRelative, {}};
    auto path = namedFile(fileSystem, folder, *parts);
    if (!path) return {MediaFile::kMissing, {}};
    // Links are followed to where they lead, which must be inside the folder as well.
    std::string home = fileSystem.realPath(folder);
    const std::string real = fileSystem.realPath(*path);
    if (!home.empty() && home.back() != '/') home += '/';
    if (home.empty() || !real.starts_with(home)) return {MediaFile::kOutside, {}};
    return {MediaFile::kFound, std::move(*path)};
}

std::optional<std::string> findMedia(const platform::FileSystem& fileSystem,
                                     const std::string& folder, std::string_view audio) {
    auto media = lookUpMedia(fileSystem, folder, audio);
    if (media.found != MediaFile::kFound) return std::nullopt;
    return std::move(media.path);
}

}  // namespace vexlor::rules
