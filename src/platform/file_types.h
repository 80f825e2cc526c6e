#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vexlor::platform {

/// The desktop's register of file types, reached as default string values of keys:
/// ".ext" names the type of files ending in ".ext", "type" holds the type's description,
/// "type\DefaultIcon" holds the type's icon as "path,index".
class FileTypes {
  public:
    virtual ~FileTypes() = default;
    /// The value held for `key`, or nothing.
    virtual std::optional<std::string> defaultValue(const std::string& key) const = 0;
    /// Writes the value; false when it could not be written.
    virtual bool setDefaultValue(const std::string& key, const std::string& value) = 0;
};

/// File types in the freedesktop shared MIME database of one user: the type "name" becomes
/// "application/x-name", described in <data home>/mime/packages/x-name.xml; its icon is the
/// chosen image of an .ico file, copied as PNG into the hicolor icon theme.
/// Without a data home (nothing, or a folder that is not absolute) nothing is read or written.
class FreedesktopFileTypes final : public FileTypes {
  public:
    explicit FreedesktopFileTypes(std::optional<std::filesystem::path> dataHome);

    std::optional<std::string> defaultValue(const std::string& key) const override;
    bool setDefaultValue(const std::string& key, const std::string& value) override;

    /// Where the icon of a type lands, for an image of the given size.
    std::filesystem::path iconPath(const std::string& type, int size) const;
    std::filesystem::path packagePath(const std::string& type) const;

  private:
    std::filesystem::path dataHome_;  // empty: none
};

}  // namespace vexlor::platform
