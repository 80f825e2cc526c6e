#pragma once

// The media files a module's questions use, found as the game finds them, and their copy into
// another folder beside a copy of the module (Save As, unpacking): all of them or none.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "authoring/media_copy.h"
#include "authoring/module_file.h"
#include "base/result.h"
#include "platform/descriptor.h"

namespace vexlor::authoring {

/// All the media files copied with one module may hold together; each is at most
/// kMaxMediaBytes.
inline constexpr std::uintmax_t kMaxModuleMediaBytes = 1024ull * 1024 * 1024;

/// A media file a module uses.
struct UsedMedia {
    /// Its name relative to the module's folder as on disk, '/' between folders.
    std::string name;
    std::filesystem::path file;
    std::vector<std::size_t> rows;  ///< the questions that name it, from 0
};

/// The media files of a module, each once, and the media names that give no file to copy.
struct MediaSurvey {
    std::vector<UsedMedia> files;
    /// "question 3: \"dog.gif\" is not in the module's folder", one per question.
    std::vector<std::string> left;
};

/// The files the questions' media names give in `folder`, by the game's own lookup: a name
/// outside the folder, a link leading out of it, or a file that is not there gives none and is
/// told in `left`.
MediaSurvey surveyMedia(const std::vector<Question>& questions,
                        const std::filesystem::path& folder);

/// Opens a media file for reading: a plain file of at most `limit` bytes, opened without
/// waiting on a pipe and without following a last link; any other thing is refused with why.
Result<platform::Descriptor> openPlainFile(const std::filesystem::path& path, std::uintmax_t limit,
                                           std::uintmax_t* size = nullptr);

/// Makes the folders of `relative` under `root` that are missing, adding each one made to
/// `made`; a link or a file where a folder should be is refused, so nothing goes outside `root`.
Status makeFolders(const std::filesystem::path& root, const std::filesystem::path& relative,
                   std::vector<std::filesystem::path>& made);

/// Puts the complete file `temporary` at `target` without ever replacing a file there, also on
/// a file system without hard links: false when the name is taken.
Result<bool> placeWithoutReplacing(const std::filesystem::path& temporary,
                                   const std::filesystem::path& target);

/// Media files placed into a folder, taken away again unless kept.
class PlacedMedia {
  public:
    PlacedMedia() = default;
    PlacedMedia(PlacedMedia&&) noexcept;
    PlacedMedia& operator=(PlacedMedia&&) = delete;
    ~PlacedMedia();

    /// The names that had to change, the name in the source by the name now used.
    const std::map<std::string, std::string>& renamed() const { return renamed_; }
    std::size_t copied() const { return placed_.size(); }
    std::size_t reused() const { return reused_; }
    /// The questions (those surveyed) with the media names of renamed files changed to follow.
    std::vector<Question> follow(std::vector<Question> questions) const;
    /// The new media name of each renamed file's question, by row.
    const std::map<std::size_t, std::string>& renamedRows() const { return rowNames_; }
    /// The files stay where they are.
    void keep();
    /// Removes every file placed and every folder made for them.
    void undo();

  private:
    friend Result<PlacedMedia> copyUsedMedia(const MediaSurvey&, const std::filesystem::path&);
    std::vector<std::filesystem::path> placed_;
    std::vector<std::filesystem::path> madeFolders_;
    std::map<std::string, std::string> renamed_;
    std::map<std::size_t, std::string> rowNames_;  ///< the new media name of each row's question
    std::size_t reused_ = 0;
    bool kept_ = false;
};

/// Copies each surveyed file into `target` under its name: a file there with the same bytes is
/// used as it is, and a different file keeps its name while the copy gets a number before its
/// ending. Every file is copied under a hidden name first and placed only when all are, never
/// over an existing file; on any failure nothing copied stays, and the error says why.
Result<PlacedMedia> copyUsedMedia(const MediaSurvey& survey, const std::filesystem::path& target);

}  // namespace vexlor::authoring
