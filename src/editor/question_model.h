#pragma once

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QUndoCommand>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "authoring/document.h"

namespace vexlor::editor {

/// The questions of a document as a table, one row per question that matches the search text,
/// in row order. Reads the document on demand, so 32767 rows cost nothing until drawn.
class QuestionTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kNumber, kText, kRight, kWrong1, kWrong2, kWrong3, kPoints, kMedia, kColumns };

    explicit QuestionTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    /// Shows `document` (null for none), filtered by the current search text.
    void setDocument(const authoring::Document* document);
    /// Shows only the rows where `text` occurs in any field.
    void setSearch(const QString& text);
    const QString& search() const { return search_; }
    /// Reads the document again after an edit: rows that come or go reset the table, edits
    /// within rows only redraw it.
    void refresh();

    /// The document row a table row shows, and back (nothing when filtered out).
    std::size_t documentRow(int tableRow) const {
        return rows_.at(static_cast<std::size_t>(tableRow));
    }
    int tableRow(std::size_t documentRow) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<std::size_t> matching() const;

    const authoring::Document* document_ = nullptr;
    QString search_;
    std::vector<std::size_t> rows_;
};

/// The document's problems, one line each, in its order: questions by row, the module's last.
/// The lines are those of the last refresh: gathering them costs a pass over every question, so
/// they are read again when typing pauses, and may be drawn at any moment in between.
class ProblemListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit ProblemListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}
    void setDocument(const authoring::Document* document);
    void refresh();
    /// The problem a line shows.
    const authoring::Problem& problem(int line) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    const authoring::Document* document_ = nullptr;
    std::vector<authoring::Problem> shown_;
};

/// An edit of the document on the window's undo stack. Typing into one field undoes as one.
class EditCommand : public QUndoCommand {
  public:
    /// `changed` runs after the edit is applied or reverted, with the row to select, or
    /// nothing for an edit of no question (the properties).
    EditCommand(authoring::Document& document, authoring::EditPtr edit, bool ofQuestions,
                std::function<void(std::optional<std::size_t> row)> changed);
    void redo() override;
    void undo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

  private:
    authoring::Document& document_;
    authoring::EditPtr edit_;
    bool ofQuestions_;
    std::function<void(std::optional<std::size_t>)> changed_;
};

}  // namespace vexlor::editor
