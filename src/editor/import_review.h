#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "authoring/question_import.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QListWidget;
class QTableWidget;
class QWidget;

namespace vexlor::editor {

/// What an import of a question file would add and what it skips, read again at once when the
/// author picks another encoding or says what a column holds.
class ImportReview final : public QDialog {
    Q_OBJECT

  public:
    /// `bytes` are the file's, as read; `name` is the file (its extension tells the format when
    /// `format` is not given); media are looked for in `mediaFolder`.
    ImportReview(std::string bytes, const std::filesystem::path& name,
                 std::optional<authoring::ImportFormat> format,
                 const std::filesystem::path& mediaFolder, QWidget* parent = nullptr);

    const authoring::QuestionImport& current() const { return read_; }
    /// Whether Import would add questions.
    bool importable() const;
    /// One line on what would be added and skipped.
    QString summary() const;
    /// Each skipped row and warning with its place in the file.
    QStringList notes() const;

    void setEncoding(authoring::TextEncoding encoding);
    /// The field the file's column `column` (counted from 0) holds.
    void setColumn(int column, authoring::ColumnField field);

    QComboBox* encodingBox() const { return encoding_; }
    QTableWidget* columnTable() const { return columns_; }

  private:
    void reread(bool guessColumns);
    void showRead();

    std::string bytes_;
    std::filesystem::path name_;
    QString fileName_;
    authoring::QuestionImportOptions options_;
    authoring::QuestionImport read_;

    QLabel* summary_;
    QComboBox* encoding_;
    QLabel* encodingNote_;
    QLabel* layout_;
    QTableWidget* columns_;
    QTableWidget* questions_;
    QListWidget* skipped_;
    QDialogButtonBox* buttons_;
};

}  // namespace vexlor::editor
