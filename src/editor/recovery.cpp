#include "editor/recovery.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "editor/editor_window.h"
#include "editor/prompts.h"
#include "platform/files.h"
#include "text/i18n.h"

namespace vexlor::editor {

namespace fs = std::filesystem;

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

fs::path normal(const fs::path& path) {
    return path.empty() ? path : platform::absolutePath(path).lexically_normal();
}

}  // namespace

Recovery::Recovery(fs::path folder, std::function<const authoring::Document*()> document,
                   std::function<fs::path()> module, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      document_(std::move(document)),
      module_(std::move(module)) {
    timer_.setSingleShot(true);
    timer_.setInterval(std::chrono::seconds(3));
    connect(&timer_, &QTimer::timeout, this, &Recovery::write);
}

void Recovery::update() {
    const authoring::Document* document = document_();
    const fs::path module = document ? normal(module_()) : fs::path();
    const bool unsaved = document && document->modified();
    if (module != current_ || !unsaved) {
        timer_.stop();
        if (slot_) slot_->remove();
        slot_.reset();
        current_ = module;
    }
    // Not pushed back by each key: typing without a pause is kept too.
    if (unsaved && !timer_.isActive()) timer_.start();
}

void Recovery::closed() {
    timer_.stop();
    if (slot_) slot_->remove();
    slot_.reset();
    current_.clear();
}

void Recovery::adopt(authoring::RecoverySlot slot) {
    if (slot_) slot_->remove();
    slot_ = std::move(slot);
    update();
}

void Recovery::write() {
    const authoring::Document* document = document_();
    if (!document || !document->modified() || normal(module_()) != current_) return;
    if (!slot_) {
        auto claimed = authoring::RecoverySlot::claim(folder_, current_);
        if (!claimed) {
            if (!std::exchange(failedOnce_, true))
                emit failed(tr("Unsaved changes cannot be kept for recovery: %1")
                                .arg(qt(claimed.error().what())));
            return;
        }
        slot_ = std::move(*claimed);
    }
    if (const Status done = slot_->write({current_, document->edited()}); !done) {
        if (!std::exchange(failedOnce_, true))
            emit failed(
                tr("Unsaved changes cannot be kept for recovery: %1").arg(qt(done.error().what())));
        return;
    }
    failedOnce_ = false;
    emit written(qt(slot_->copy().string()));
}

bool offerRecovery(EditorWindow& window, Prompts& prompts, const fs::path& folder) {
    for (const fs::path& file : authoring::recoveryCopies(folder)) {
        auto slot = authoring::RecoverySlot::claimCopy(file);
        if (!slot) continue;  // its editor still runs
        auto copy = authoring::readRecovery(file);
        if (!copy) {
            const fs::path aside = slot->setAside();
            prompts.warn(&window, QObject::tr("Recover Unsaved Changes"),
                         QObject::tr("A recovery copy of unsaved changes could not be read: "
                                     "%1\n\nIt was set aside as %2.")
                             .arg(qt(copy.error().message()), qt(aside.string())));
            continue;
        }
        const QString name = qt(copy->module.filename().string());
        const std::size_t rows = copy->edited.rows.size();
        // TRANSLATORS: %2 is the number of questions the module has with the changes.
        const QString details =
            QString::fromUtf8(i18n::txn("The editor ended without saving the changes to %1 (%2 "
                                        "questions). Recover opens the module with them as "
                                        "unsaved changes; Discard deletes them.",
                                        "The editor ended without saving the changes to %1 (%2 "
                                        "questions). Recover opens the module with them as "
                                        "unsaved changes; Discard deletes them.",
                                        rows))
                .arg(qt(copy->module.string()), QString::number(rows));
        switch (prompts.askRecover(&window, name, details)) {
            case Prompts::Recover::kRecover:
                if (window.recover(*copy, std::move(*slot))) return true;
                break;  // the copy stays for another time
            case Prompts::Recover::kDiscard:
                slot->remove();
                break;
            case Prompts::Recover::kKeep:
                break;
        }
    }
    return false;
}

bool EditorWindow::recover(const authoring::RecoveryCopy& copy, authoring::RecoverySlot slot) {
    const QString module = qt(copy.module.string());
    const QString title = tr("Recover Unsaved Changes");
    if (!QFileInfo::exists(module)) {
        prompts_.warn(this, title,
                      tr("%1 is no longer there: its unsaved changes stay kept in %2.")
                          .arg(module, qt(slot.copy().string())));
        return false;
    }
    if (!openModule(module)) return false;
    auto edit = document_->restore(copy.edited);
    if (!edit) {
        prompts_.warn(this, title, qt(edit.error().what()));
        return false;
    }
    push(std::move(edit));
    // Taken only now: an unmodified document's copy would go at once.
    if (recovery_)
        recovery_->adopt(std::move(slot));
    else
        slot.remove();
    statusBar()->showMessage(tr("Recovered the unsaved changes to %1: check them, then save.")
                                 .arg(QFileInfo(module).fileName()));
    return true;
}

void EditorWindow::keepRecovery(const fs::path& folder) {
    recovery_ = new Recovery(
        folder, [this] { return document(); }, [this] { return modulePath(); }, this);
    connect(recovery_, &Recovery::failed, this,
            [this](const QString& why) { statusBar()->showMessage(why); });
    recovery_->update();
}

Prompts::Recover QtPrompts::askRecover(QWidget* parent, const QString& name,
                                       const QString& details) {
    QMessageBox box(QMessageBox::Question, QObject::tr("Recover Unsaved Changes"),
                    QObject::tr("Recover unsaved changes to %1?").arg(name), QMessageBox::NoButton,
                    parent);
    box.setInformativeText(details);
    QPushButton* recover = box.addButton(QObject::tr("&Recover"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QObject::tr("&Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(QObject::tr("Decide &Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == recover) return Recover::kRecover;
    if (box.clickedButton() == discard) return Recover::kDiscard;
    return Recover::kKeep;
}

}  // namespace vexlor::editor
