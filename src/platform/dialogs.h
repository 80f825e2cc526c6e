#pragma once

#include <optional>
#include <string>

namespace vexlor::platform {

/// What the program asks of a file-open dialog.
struct OpenFileRequest {
    std::string title;
    std::string filter;  ///< "Description (*.ext)|*.ext", one entry
    int flags = 0;       ///< OFN_* bits
    std::string initialFolder;
};

/// Dialog flags the program uses.
namespace open_flags {
constexpr int kHideReadOnly = 0x4;
constexpr int kNoChangeDir = 0x8;
constexpr int kExtensionDifferent = 0x400;
constexpr int kFileMustExist = 0x1000;
/// Not a file but a folder is chosen (to unpack a package into).
constexpr int kChooseFolder = 0x40000000;
}  // namespace open_flags

/// A modal file-open dialog.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    /// The chosen full path, or nothing when the player cancelled.
    virtual std::optional<std::string> showOpen(const OpenFileRequest& request) = 0;
};

/// Message box styles the program uses.
namespace message_style {
constexpr int kExclamation = 48;
constexpr int kQuestionYesNo = 36;  ///< a question mark, Yes and No
}  // namespace message_style

/// A modal message box.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    /// Shows `text` (parts joined by '\r') and returns when it is closed.
    virtual void show(const std::string& text, int style, const std::string& title) = 0;
    /// Shows `text` with the buttons Yes and No; true when Yes was chosen.
    virtual bool ask(const std::string& text, const std::string& title) = 0;
};

/// How the high-score entry window was closed.
enum class HighScoreEntry {
    Closed,     ///< without OK: nothing stored
    Stored,     ///< OK, and the row is in the module
    NotStored,  ///< OK, but the module refused the row
};

/// The program's other windows, and its end.
class Windows {
  public:
    virtual ~Windows() = default;
    /// Shows the About window modally; returns when it is closed.
    virtual void showAbout() = 0;
    /// Shows the high-score entry window modally; returns when it is closed.
    virtual HighScoreEntry showHighScoreEntry() = 0;
    /// Ends the program.
    virtual void endProgram() = 0;
};

}  // namespace vexlor::platform
