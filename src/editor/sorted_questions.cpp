#include "editor/sorted_questions.h"

#include "editor/question_model.h"
#include "rules/numbers.h"

namespace vexlor::editor {

SortedQuestions::SortedQuestions(QuestionTableModel* questions, QObject* parent)
    : QSortFilterProxyModel(parent), questions_(questions) {
    setSourceModel(questions);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setSortLocaleAware(true);
}

void SortedQuestions::headerClicked(int column) {
    if (column == QuestionTableModel::kNumber) {
        showModuleOrder();
        return;
    }
    const bool again = sortColumn() == column && sortOrder() == Qt::AscendingOrder;
    sort(column, again ? Qt::DescendingOrder : Qt::AscendingOrder);
    emit orderChanged();
}

void SortedQuestions::showModuleOrder() {
    if (!sorted()) return;
    sort(-1);
    emit orderChanged();
}

std::size_t SortedQuestions::documentRow(int viewRow) const {
    return questions_->documentRow(mapToSource(index(viewRow, 0)).row());
}

int SortedQuestions::viewRow(std::size_t documentRow) const {
    const int shown = questions_->tableRow(documentRow);
    if (shown < 0) return -1;
    return mapFromSource(questions_->index(shown, 0)).row();
}

bool SortedQuestions::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Points as the game counts them, and the module's order among equals.
    const std::size_t leftRow = questions_->documentRow(left.row());
    const std::size_t rightRow = questions_->documentRow(right.row());
    if (left.column() == QuestionTableModel::kPoints) {
        const double a = rules::numericValue(left.data().toString().toStdString());
        const double b = rules::numericValue(right.data().toString().toStdString());
        if (a != b) return a < b;
        return leftRow < rightRow;
    }
    const QString a = left.data().toString();
    const QString b = right.data().toString();
    const int order = QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded());
    if (order != 0) return order < 0;
    return leftRow < rightRow;
}

}  // namespace vexlor::editor
