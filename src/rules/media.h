#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vexlor::rules {

/// What the game does with a question's media name.
enum class MediaKind { kNone, kSound, kPicture, kNotPlayed };

/// The kind of a media name. The game goes by the last three characters only, and only by
/// their all-lower or all-upper spelling: "a.mp3" and "a.MP3" play, "a.Mp3" does not; an empty
/// name is no media.
MediaKind mediaKind(std::string_view name);

/// What a media name means in a module's folder.
struct MediaFile {
    enum Found {
        kFound,        ///< `path` is the file
        kNotRelative,  ///< a drive name or a `..`: never a name inside the folder
        kMissing,      ///< no such file
        kOutside,      ///< the file is a link, or lies in a linked folder, that leads outside
    };
    Found found;
    std::string path;
};

/// The file a question's `Audio` text names inside the module's folder, the one rule the game
/// and the authoring tool share.
///
/// Modules made on Windows write `\` between folders and may differ from the files on disk in
/// letter case: a backslash separates folders like a slash, a leading separator stands for the
/// folder itself, and where no entry has the exact name, one that differs only in ASCII letter
/// case is taken (the first in sorted order). The file can never lie outside `folder`: a drive
/// name or a `..` gives nothing, and nor does a file whose real path, with every link
/// followed, leaves the folder's real path. `folder` ends with a separator.
MediaFile lookUpMedia(const platform::FileSystem& fileSystem, const std::string& folder,
                      std::string_view audio);
/// The path of `lookUpMedia` when it found the file.
std::optional<std::string> findMedia(const platform::FileSystem& fileSystem,
                                     const std::string& folder, std::string_view audio);

}  // namespace vexlor::rules
