#pragma once

// Prompts that answer at once and remember what they were shown: yes to every question, discard
// for unsaved changes, import for every review.

#include "editor/import_review.h"
#include "editor/prompts.h"

namespace vexlor::editor {

class AnsweringPrompts final : public Prompts {
  public:
    void warn(QWidget*, const QString&, const QString& text) override { warnings << text; }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    Unsaved askUnsaved(QWidget*, const QString&) override { return Unsaved::kDiscard; }
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&, QString*) override { return {}; }
    std::optional<QString> text(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> choose(QWidget*, const QString&, const QString&,
                                  const QStringList&) override {
        return {};
    }
    bool reviewImport(QWidget*, const QString&, const QStringList&) override { return true; }
    bool reviewQuestions(ImportReview& review) override {
        skipped = review.current().result.skipped();
        return true;
    }
    Recover askRecover(QWidget*, const QString& name, const QString&) override {
        asked << name;
        return answer;
    }

    QStringList warnings;
    std::size_t skipped = 0;  ///< by the last import reviewed
    QStringList asked;
    Recover answer = Recover::kRecover;
};

}  // namespace vexlor::editor
