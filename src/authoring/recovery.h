#pragma once

// Recovery copies: what the editor keeps of unsaved edits in the user's state folder, so a
// crash or a kill loses no typing. A copy is a small JSON file of our own, named after the
// module's path, with a lock file beside it that the editor writing the copy holds: a copy
// whose lock is held belongs to a running editor and is not offered.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/document.h"
#include "base/result.h"

namespace vexlor::authoring {

/// Larger copies are refused as damaged: no document the editor holds comes near.
inline constexpr std::uintmax_t kMaxRecoveryBytes = 256u * 1024 * 1024;

/// $XDG_STATE_HOME/vexlor/recovery, or ~/.local/state/vexlor/recovery (the home as the password
/// database names it when HOME does not serve); empty when there is no home at all.
std::filesystem::path recoveryFolder();

/// What a recovery copy holds.
struct RecoveryCopy {
    std::filesystem::path module;  ///< the module edited, absolute
    Document::Edited edited;
};

std::string recoveryText(const RecoveryCopy& copy);
/// Reads a copy's text; anything but a copy as recoveryText writes it is an error.
Result<RecoveryCopy> parseRecovery(std::string_view text);
Result<RecoveryCopy> readRecovery(const std::filesystem::path& file);

/// The recovery copies in `folder`, newest first.
std::vector<std::filesystem::path> recoveryCopies(const std::filesystem::path& folder);

/// A copy's place, held locked for as long as this object lives.
class RecoverySlot {
  public:
    /// A free place for the copy of `module` in `folder` (made 0700 when missing): one no
    /// running editor holds and no copy left by an earlier one takes.
    static Result<RecoverySlot> claim(const std::filesystem::path& folder,
                                      const std::filesystem::path& module);
    /// The place of an existing copy, unless a running editor holds it.
    static std::optional<RecoverySlot> claimCopy(const std::filesystem::path& copy);

    RecoverySlot(RecoverySlot&& other) noexcept;
    RecoverySlot& operator=(RecoverySlot&& other) noexcept;
    RecoverySlot(const RecoverySlot&) = delete;
    RecoverySlot& operator=(const RecoverySlot&) = delete;
    ~RecoverySlot();

    const std::filesystem::path& copy() const { return copy_; }
    /// Replaces the copy whole (a temporary file renamed over it once on the disk).
    Status write(const RecoveryCopy& copy) const;
    /// Removes the copy and its lock; the slot is then free.
    void remove();
    /// Moves a damaged copy aside (the same name with ".damaged") so it is not offered again;
    /// gives the new name.
    std::filesystem::path setAside();

  private:
    RecoverySlot(std::filesystem::path copy, int lock) : copy_(std::move(copy)), lock_(lock) {}
    void release();

    std::filesystem::path copy_;
    int lock_ = -1;
};

}  // namespace vexlor::authoring
