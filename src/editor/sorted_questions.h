#pragma once

#include <QSortFilterProxyModel>
#include <cstddef>

namespace vexlor::editor {

class QuestionTableModel;

/// The question table as the author sorts it by a column. Only the view is sorted: the document,
/// and so the module's order the game numbers questions by, stays as it is. Every row the view
/// shows maps back to the document's row here.
class SortedQuestions : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit SortedQuestions(QuestionTableModel* questions, QObject* parent = nullptr);

    /// A click on a column's header: sorts by it, the other way round when it already is; the
    /// number column puts the module's order back.
    void headerClicked(int column);
    /// The module's order again.
    void showModuleOrder();
    /// Whether the view is in another order than the module's.
    bool sorted() const { return sortColumn() >= 0; }

    /// The document row a view row shows, and back (-1 when it is not shown).
    std::size_t documentRow(int viewRow) const;
    int viewRow(std::size_t documentRow) const;

  signals:
    void orderChanged();

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    QuestionTableModel* questions_;
};

}  // namespace vexlor::editor
