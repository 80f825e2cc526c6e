#include "editor/question_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace vexlor::editor {

using authoring::QuestionField;

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void QuestionTableModel::setDocument(const authoring::Document* document) {
    beginResetModel();
    document_ = document;
    rows_ = matching();
    endResetModel();
}

void QuestionTableModel::setSearch(const QString& text) {
    if (text == search_) return;
    search_ = text;
    beginResetModel();
    rows_ = matching();
    endResetModel();
}

std::vector<std::size_t> QuestionTableModel::matching() const {
    if (!document_) return {};
    return document_->filter(search_.toStdString());
}

void QuestionTableModel::refresh() {
    std::vector<std::size_t> rows = matching();
    if (rows == rows_) {
        if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int QuestionTableModel::tableRow(std::size_t documentRow) const {
    const auto found = std::lower_bound(rows_.begin(), rows_.end(), documentRow);
    if (found == rows_.end() || *found != documentRow) return -1;
    return static_cast<int>(found - rows_.begin());
}

int QuestionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int QuestionTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant QuestionTableModel::data(const QModelIndex& index, int role) const {
    if (!document_ || !index.isValid() || index.row() >= rowCount()) return {};
    const std::size_t row = documentRow(index.row());
    if (row >= document_->size()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (index.column() == kNumber) return static_cast<qulonglong>(row + 1);
        QString text = qt(authoring::fieldOf(document_->question(row),
                                             static_cast<QuestionField>(index.column() - 1)));
        // One line per cell: the table stays one row high whatever the texts hold.
        if (role == Qt::DisplayRole) text.replace(QLatin1Char('\n'), QChar(0x21B5));
        return text;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == kNumber || index.column() == kPoints))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant QuestionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kNames[] = {QT_TR_NOOP("No."),          QT_TR_NOOP("Question"),
                                         QT_TR_NOOP("Right answer"), QT_TR_NOOP("Wrong 1"),
                                         QT_TR_NOOP("Wrong 2"),      QT_TR_NOOP("Wrong 3"),
                                         QT_TR_NOOP("Points"),       QT_TR_NOOP("Picture/sound")};
    return section >= 0 && section < kColumns ? tr(kNames[section]) : QVariant();
}

void ProblemListModel::setDocument(const authoring::Document* document) {
    document_ = document;
    refresh();
}

void ProblemListModel::refresh() {
    beginResetModel();
    if (document_)
        shown_ = document_->problems();
    else
        shown_.clear();
    endResetModel();
}

const authoring::Problem& ProblemListModel::problem(int line) const {
    return shown_.at(static_cast<std::size_t>(line));
}

int ProblemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant ProblemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const authoring::Problem& shown = problem(index.row());
    if (role == Qt::DisplayRole) return qt(shown.describe());
    if (role == Qt::ForegroundRole && shown.breaksGame) return QBrush(QColor(0xB0, 0x00, 0x00));
    return {};
}

EditCommand::EditCommand(authoring::Document& document, authoring::EditPtr edit, bool ofQuestions,
                         std::function<void(std::optional<std::size_t> row)> changed)
    : QUndoCommand(qt(edit->describe())),
      document_(document),
      edit_(std::move(edit)),
      ofQuestions_(ofQuestions),
      changed_(std::move(changed)) {}

void EditCommand::redo() {
    edit_->apply(document_);
    changed_(ofQuestions_ ? std::optional(edit_->focusRow(false)) : std::nullopt);
}

void EditCommand::undo() {
    edit_->revert(document_);
    changed_(ofQuestions_ ? std::optional(edit_->focusRow(true)) : std::nullopt);
}

bool EditCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const EditCommand*>(other);
    if (!next || !document_.merge(*edit_, *next->edit_)) return false;
    setText(qt(edit_->describe()));
    return true;
}

}  // namespace vexlor::editor
