#pragma once

#include <QString>
#include <filesystem>
#include <string>

#include "base/result.h"

namespace vexlor::editor {

/// A media file made ready for a question: a picture the game shows or a sound it plays.
struct PreparedMedia {
    enum class Type { kPicture, kSound };
    Type type = Type::kPicture;
    /// The file to copy beside the module: the chosen one, or the converted picture.
    std::filesystem::path file;
    /// The name it should have there: the chosen name with its ending in lower case, the game
    /// going by the ending's spelling; a converted picture ends in ".bmp".
    std::string name;
    bool converted = false;
};

/// The side of the game's picture box, in pixels: converted pictures are fitted into it.
int pictureBoxSide();

/// Makes a chosen file ready to attach. gif, bmp and ico pictures are used as they are, once the
/// game's own picture loader has read them within its limits; png, jpg, webp and svg pictures
/// (where this system reads them) are fitted into the picture box and written as bmp into
/// `workFolder`, then read back by the game's loader. mp3, mid and wav sounds are used as they
/// are, when not too large for the game's player. Anything else is refused with a sentence for
/// the author that names what the game takes.
Result<PreparedMedia> prepareMedia(const std::filesystem::path& chosen,
                                   const std::filesystem::path& workFolder);

/// The file dialog's filters: pictures, sounds, both.
QString mediaFileFilter();

}  // namespace vexlor::editor
