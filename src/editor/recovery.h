#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "authoring/recovery.h"

class QWidget;

namespace vexlor::editor {

class EditorWindow;
class Prompts;

/// Keeps a recovery copy of the window's unsaved edits: written a few seconds after a change,
/// removed once the changes are saved or dropped.
class Recovery final : public QObject {
    Q_OBJECT
  public:
    /// `document` and `module` give the window's document (null for none) and the module file
    /// the author opened.
    Recovery(std::filesystem::path folder, std::function<const authoring::Document*()> document,
             std::function<std::filesystem::path()> module, QObject* parent = nullptr);

    const std::filesystem::path& folder() const { return folder_; }
    /// How long after a change the copy is written.
    void setDelay(std::chrono::milliseconds delay) { timer_.setInterval(delay); }
    /// After any change to the window's document: a copy is due when it has unsaved edits, and
    /// goes when it has none or when another module took its place (saved or dropped first).
    void update();
    /// The window closes, its changes saved or dropped.
    void closed();
    /// Writes the copy for the recovered document into the slot it was read from.
    void adopt(authoring::RecoverySlot slot);

  signals:
    void written(const QString& copy);
    /// The copy could not be written: the author should know their edits are not kept.
    void failed(const QString& why);

  private:
    void write();

    std::filesystem::path folder_;
    std::function<const authoring::Document*()> document_;
    std::function<std::filesystem::path()> module_;
    std::filesystem::path current_;  // the module the slot is for
    std::optional<authoring::RecoverySlot> slot_;
    QTimer timer_;
    bool failedOnce_ = false;
};

/// At the start: offers the copies that editors which ended without saving left in `folder`,
/// newest first, until one is recovered. A copy another running editor holds is not offered; a
/// damaged one is set aside and reported. True when a copy was recovered.
bool offerRecovery(EditorWindow& window, Prompts& prompts, const std::filesystem::path& folder);

}  // namespace vexlor::editor
