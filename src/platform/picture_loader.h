#pragma once

#include <memory>
#include <string>

namespace vexlor::platform {

/// A decoded picture, opaque to the game: only the window draws it.
class Picture {
  public:
    virtual ~Picture() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

/// Decodes gif, bmp and ico files.
class PictureLoader {
  public:
    virtual ~PictureLoader() = default;
    /// The picture in the file at `path`; nothing when the file is missing, damaged, not a
    /// picture, or too large to decode safely.
    virtual std::shared_ptr<const Picture> load(const std::string& path) = 0;
};

}  // namespace vexlor::platform
