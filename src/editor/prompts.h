#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace vexlor::editor {

class ImportReview;

/// The questions the editor asks the author in modal windows. The tests answer them at once.
class Prompts {
  public:
    virtual ~Prompts() = default;
    enum class Unsaved { kSave, kDiscard, kCancel };

    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
    /// Yes or no; `text` says what happens on yes.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text) = 0;
    /// Whether to save the changes to `name` before they would be lost.
    virtual Unsaved askUnsaved(QWidget* parent, const QString& name) = 0;
    /// Save or cancel, before something that needs the module saved; `text` says why.
    virtual bool askSave(QWidget* parent, const QString& title, const QString& text) {
        return confirm(parent, title, text);
    }
    /// A file to read; empty when cancelled.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    /// A file to write (replacing it was agreed to); empty when cancelled. `chosenFilter`
    /// gets the filter picked.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             QString* chosenFilter = nullptr) = 0;
    /// One line of text; nothing when cancelled.
    virtual std::optional<QString> text(QWidget* parent, const QString& title,
                                        const QString& label) = 0;
    /// One of `items`; nothing when cancelled.
    virtual std::optional<QString> choose(QWidget* parent, const QString& title,
                                          const QString& label, const QStringList& items) = 0;
    /// Shows what an import or a paste would add and what it skips; true to add.
    virtual bool reviewImport(QWidget* parent, const QString& summary,
                              const QStringList& skipped) = 0;
    /// Shows the review of a file's import, where the author may change how it is read; true
    /// to import. Without a window of its own, the review's summary and notes as reviewImport.
    virtual bool reviewQuestions(ImportReview& review);
    /// A folder to write into; empty when cancelled.
    virtual QString folder(QWidget* /*parent*/, const QString& /*title*/) { return {}; }
    enum class Recover { kRecover, kDiscard, kKeep };
    /// Whether to recover the unsaved changes to the module `name` an editor left; a box just
    /// closed keeps them for later.
    virtual Recover askRecover(QWidget* /*parent*/, const QString& /*name*/,
                               const QString& /*details*/) {
        return Recover::kKeep;
    }
};

/// The prompts as Qt's standard dialogs.
class QtPrompts final : public Prompts {
  public:
    void warn(QWidget* parent, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text) override;
    Unsaved askUnsaved(QWidget* parent, const QString& name) override;
    bool askSave(QWidget* parent, const QString& title, const QString& text) override;
    QString openFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     QString* chosenFilter) override;
    std::optional<QString> text(QWidget* parent, const QString& title,
                                const QString& label) override;
    std::optional<QString> choose(QWidget* parent, const QString& title, const QString& label,
                                  const QStringList& items) override;
    bool reviewImport(QWidget* parent, const QString& summary, const QStringList& skipped) override;
    bool reviewQuestions(ImportReview& review) override;
    QString folder(QWidget* parent, const QString& title) override;
    Recover askRecover(QWidget* parent, const QString& name, const QString& details) override;
};

}  // namespace vexlor::editor
