#include "authoring/document.h"
#include "authoring/document_state.h"

#include <algorithm>
#include <cassert>
#include <unordered_set>
#include <utility>
#include "text/i18n.h"

namespace vexlor::authoring {

namespace {

constexpr std::string_view kDefaultPoints = "100";

using i18n::counted;
using i18n::fill;
using i18n::tx;
using i18n::txn;

// Rows sorted, each once; an error when one is past the end.
Result<std::vector<std::size_t>> sortedRows(std::vector<std::size_t> rows, std::size_t size) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!rows.empty() && rows.back() >= size)
        return Error(fill(tx("there is no question %1"), {std::to_string(rows.back() + 1)}));
    return rows;
}

using Entry = Document::State::Entry;

}  // namespace

// --- edits ----------------------------------------------------------------------------------

void Edit::apply(Document& document) {
    redo(document);
    document.state_->states.push_back(state_);
}

void Edit::revert(Document& document) {
    auto& states = document.state_->states;
    assert(states.size() > 1 && states.back() == state_);
    undo(document);
    states.pop_back();
}

namespace {

class PropertyEdit final : public Edit {
  public:
    PropertyEdit(PropertyField field, std::string before, std::string after)
        : Edit(describeField(field)),
          field_(field),
          before_(std::move(before)),
          after_(std::move(after)) {}

    void redo(Document& document) override { set(document, after_); }
    void undo(Document& document) override { set(document, before_); }
    bool absorb(const Edit& next) override {
        const auto* same = dynamic_cast<const PropertyEdit*>(&next);
        if (!same || same->field_ != field_) return false;
        after_ = same->after_;
        return true;
    }

  private:
    static std::string describeField(PropertyField field) {
        // TRANSLATORS: what an undo step changed, in "Edit %1" (the Edit menu's Undo and Redo).
        static const char* const names[] = {VX_N("the title"), VX_N("the author"),
                                            VX_N("the company"), VX_N("the year")};
        return fill(tx("Edit %1"), {tx(names[static_cast<int>(field)])});
    }
    void set(Document& document, const std::string& value) {
        Document::State& state = DocumentAccess::of(document);
        fieldOf(state.properties, field_) = value;
        state.problemsStale = true;
    }

    PropertyField field_;
    std::string before_, after_;
};

// One field set in one question, or in several at once (points typed with rows selected):
// each question keeps its own old value for the undo.
class FieldEdit final : public Edit {
  public:
    struct Change {
        std::string text;
        std::uint64_t version;
    };
    struct Row {
        QuestionId id;
        Change before, after;
    };
    FieldEdit(std::size_t focusRow, QuestionField field, std::vector<Row> rows)
        : Edit(describeField(field, rows.size())), field_(field), rows_(std::move(rows)) {
        focusAfterApply_ = focusAfterRevert_ = focusRow;
    }

    void redo(Document& document) override {
        for (const Row& row : rows_) set(document, row.id, row.after);
    }
    void undo(Document& document) override {
        for (const Row& row : rows_) set(document, row.id, row.before);
    }
    bool absorb(const Edit& next) override {
        const auto* same = dynamic_cast<const FieldEdit*>(&next);
        if (!same || same->field_ != field_ || same->rows_.size() != rows_.size()) return false;
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (same->rows_[i].id != rows_[i].id) return false;
        for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].after = same->rows_[i].after;
        return true;
    }

  private:
    static std::string describeField(QuestionField field, std::size_t questions) {
        // TRANSLATORS: what an undo step changed, in "Edit %1" (the Edit menu's Undo and Redo).
        static const char* const names[] = {VX_N("the question"),       VX_N("the right answer"),
                                            VX_N("the wrong answer 1"), VX_N("the wrong answer 2"),
                                            VX_N("the wrong answer 3"), VX_N("the points"),
                                            VX_N("the media")};
        const std::string name = tx(names[static_cast<int>(field)]);
        if (questions <= 1) return fill(tx("Edit %1"), {name});
        // TRANSLATORS: %1 is what was changed ("the points"), %2 in how many questions.
        return fill(txn("Edit %1 of %2 question", "Edit %1 of %2 questions", questions),
                    {name, std::to_string(questions)});
    }
    void set(Document& document, QuestionId id, const Change& change) {
        Document::State& state = DocumentAccess::of(document);
        const auto row = document.rowOf(id);
        assert(row);
        Entry& entry = state.rows[*row];
        fieldOf(entry.question, field_) = change.text;
        entry.version = change.version;
        entry.search = searchText(entry.question);
        if (field_ == QuestionField::kText) entry.repeatKey = repeatKey(entry.question);
        state.changed(id);
    }

    QuestionField field_;
    std::vector<Row> rows_;
};

// Inserts entries at a row; the entries live in the edit while it is not applied.
class InsertEdit final : public Edit {
  public:
    InsertEdit(std::string description, std::size_t row, std::vector<Entry> entries)
        : Edit(std::move(description)), row_(row), entries_(std::move(entries)) {
        focusAfterApply_ = focusAfterRevert_ = row;
    }

    void redo(Document& document) override {
        Document::State& state = DocumentAccess::of(document);
        count_ = entries_.size();
        state.rows.insert(state.rows.begin() + static_cast<std::ptrdiff_t>(row_),
                          std::make_move_iterator(entries_.begin()),
                          std::make_move_iterator(entries_.end()));
        entries_.clear();
        state.rowsMoved();
    }
    void undo(Document& document) override {
        Document::State& state = DocumentAccess::of(document);
        const auto first = state.rows.begin() + static_cast<std::ptrdiff_t>(row_);
        const auto last = first + static_cast<std::ptrdiff_t>(count_);
        entries_.assign(std::make_move_iterator(first), std::make_move_iterator(last));
        state.rows.erase(first, last);
        state.rowsMoved();
    }

  private:
    std::size_t row_;
    std::size_t count_ = 0;
    std::vector<Entry> entries_;
};

class DeleteEdit final : public Edit {
  public:
    DeleteEdit(std::vector<std::size_t> rows)
        : Edit(counted(rows.size(), txn("Delete %1 question", "Delete %1 questions", rows.size()))),
          rows_(std::move(rows)) {
        focusAfterApply_ = rows_.front();
        focusAfterRevert_ = rows_.front();
    }

    void redo(Document& document) override {
        Document::State& state = DocumentAccess::of(document);
        taken_.clear();
        taken_.reserve(rows_.size());
        // Removed in one pass: deleting thousands of rows one by one would move the rest as
        // many times.
        std::size_t next = 0;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < state.rows.size(); ++i) {
            if (next < rows_.size() && rows_[next] == i) {
                taken_.push_back(std::move(state.rows[i]));
                ++next;
            } else {
                if (kept != i) state.rows[kept] = std::move(state.rows[i]);
                ++kept;
            }
        }
        state.rows.resize(kept);
        state.rowsMoved();
    }
    void undo(Document& document) override {
        Document::State& state = DocumentAccess::of(document);
        std::vector<Entry> merged;
        merged.reserve(state.rows.size() + taken_.size());
        std::size_t next = 0;
        std::size_t kept = 0;
        while (merged.size() < state.rows.size() + taken_.size()) {
            if (next < rows_.size() && rows_[next] == merged.size())
                merged.push_back(std::move(taken_[next++]));
            else
                merged.push_back(std::move(state.rows[kept++]));
        }
        state.rows = std::move(merged);
        taken_.clear();
        state.rowsMoved();
    }

  private:
    std::vector<std::size_t> rows_;  ///< sorted
    std::vector<Entry> taken_;
};

class MoveEdit final : public Edit {
  public:
    MoveEdit(std::vector<std::size_t> rows, bool down)
        : Edit(counted(rows.size(),
                       down ? txn("Move %1 question down", "Move %1 questions down", rows.size())
                            : txn("Move %1 question up", "Move %1 questions up", rows.size()))),
          rows_(std::move(rows)),
          down_(down) {
        focusAfterRevert_ = rows_.front();
        focusAfterApply_ = down_ ? rows_.front() + 1 : rows_.front() - 1;
    }

    void redo(Document& document) override { move(document, rows_, down_); }
    void undo(Document& document) override {
        std::vector<std::size_t> moved = rows_;
        for (auto& row : moved) row = down_ ? row + 1 : row - 1;
        move(document, moved, !down_);
    }

  private:
    // Each row swaps with its neighbour, the rows nearest the edge first, so a block of rows
    // moves as one.
    static void move(Document& document, const std::vector<std::size_t>& rows, bool down) {
        Document::State& state = DocumentAccess::of(document);
        if (down) {
            for (auto row = rows.rbegin(); row != rows.rend(); ++row)
                std::swap(state.rows[*row], state.rows[*row + 1]);
        } else {
            for (std::size_t row : rows) std::swap(state.rows[row], state.rows[row - 1]);
        }
        state.rowsMoved();
    }

    std::vector<std::size_t> rows_;  ///< sorted, before the move
    bool down_;
};

// Puts other rows and properties in place of the document's, and back: the changes of a
// document re-applied to the module as reloaded.
class ReplaceEdit final : public Edit {
  public:
    ReplaceEdit(std::vector<Entry> rows, Properties properties)
        : Edit(tx("Apply the changes made here again")),
          rows_(std::move(rows)),
          properties_(std::move(properties)) {}

    void redo(Document& document) override { swap(document); }
    void undo(Document& document) override { swap(document); }

  private:
    void swap(Document& document) {
        Document::State& state = DocumentAccess::of(document);
        std::swap(state.rows, rows_);
        std::swap(state.properties, properties_);
        state.checked.clear();
        state.rowsMoved();
    }

    std::vector<Entry> rows_;
    Properties properties_;
};

}  // namespace

EditPtr replaceEdit(std::vector<Document::State::Entry> rows, Properties properties) {
    return std::make_unique<ReplaceEdit>(std::move(rows), std::move(properties));
}

Result<EditPtr> Document::setProperty(PropertyField field, std::string value) const {
    const std::string& now = fieldOf(state_->properties, field);
    if (now == value) return EditPtr();
    return EditFactory::made(std::make_unique<PropertyEdit>(field, now, std::move(value)), *state_);
}

Result<EditPtr> Document::setQuestionField(std::size_t row, QuestionField field,
                                           std::string value) const {
    return setQuestionFields({row}, field, std::move(value));
}

Result<EditPtr> Document::setQuestionFields(std::vector<std::size_t> rows, QuestionField field,
                                            std::string value) const {
    std::vector<FieldEdit::Row> changes;
    std::unordered_set<QuestionId> seen;
    for (std::size_t row : rows) {
        if (row >= size())
            return Error(fill(tx("there is no question %1"), {std::to_string(row + 1)}));
        const Entry& entry = state_->rows[row];
        const std::string& now = fieldOf(entry.question, field);
        if (now == value || !seen.insert(entry.id).second) continue;
        changes.push_back({entry.id, {now, entry.version}, {value, state_->nextVersion++}});
    }
    if (changes.empty()) return EditPtr();
    return EditFactory::made(std::make_unique<FieldEdit>(rows.front(), field, std::move(changes)),
                             *state_);
}

Result<EditPtr> Document::insertQuestions(std::size_t row, std::vector<Question> questions) const {
    if (row > size()) return Error(fill(tx("there is no question %1"), {std::to_string(row + 1)}));
    if (questions.empty()) return EditPtr();
    if (static_cast<std::int64_t>(size() + questions.size()) > kMaxQuestions)
        return Error(
            fill(txn("the module would hold %1 question; the game counts at most %2",
                     "the module would hold %1 questions; the game counts at most %2",
                     size() + questions.size()),
                 {std::to_string(size() + questions.size()), std::to_string(kMaxQuestions)}));
    const std::string description =
        questions.size() == 1 ? std::string(tx("Add a question"))
                              : counted(questions.size(), txn("Add %1 question", "Add %1 questions",
                                                              questions.size()));
    std::vector<Entry> entries;
    entries.reserve(questions.size());
    for (Question& question : questions) entries.push_back(state_->entry(std::move(question)));
    return EditFactory::made(std::make_unique<InsertEdit>(description, row, std::move(entries)),
                             *state_);
}

Result<EditPtr> Document::addQuestion(std::size_t row) const {
    Question blank;
    blank.points = kDefaultPoints;
    return insertQuestions(row, {blank});
}

Result<EditPtr> Document::duplicateQuestions(std::vector<std::size_t> rows) const {
    auto sorted = sortedRows(std::move(rows), size());
    if (!sorted) return sorted.error();
    if (sorted->empty()) return EditPtr();
    std::vector<Question> copies;
    for (std::size_t row : *sorted) copies.push_back(question(row));
    auto edit = insertQuestions(sorted->back() + 1, std::move(copies));
    if (edit && *edit)
        (*edit)->description_ = counted(
            sorted->size(), txn("Duplicate %1 question", "Duplicate %1 questions", sorted->size()));
    return edit;
}

Result<EditPtr> Document::deleteQuestions(std::vector<std::size_t> rows) const {
    auto sorted = sortedRows(std::move(rows), size());
    if (!sorted) return sorted.error();
    if (sorted->empty()) return EditPtr();
    return EditFactory::made(std::make_unique<DeleteEdit>(std::move(*sorted)), *state_);
}

Result<EditPtr> Document::moveQuestions(std::vector<std::size_t> rows, bool down) const {
    auto sorted = sortedRows(std::move(rows), size());
    if (!sorted) return sorted.error();
    if (sorted->empty() || (down ? sorted->back() + 1 == size() : sorted->front() == 0))
        return EditPtr();
    return EditFactory::made(std::make_unique<MoveEdit>(std::move(*sorted), down), *state_);
}

Result<EditPtr> Document::pasteQuestions(std::size_t row, const ImportResult& pasted) const {
    auto edit = insertQuestions(row, pasted.questions);
    if (edit && *edit)
        (*edit)->description_ =
            counted(pasted.questions.size(),
                    txn("Paste %1 question", "Paste %1 questions", pasted.questions.size()));
    return edit;
}

Result<EditPtr> Document::importQuestions(const ImportResult& imported) const {
    if (imported.questionsNotKept)
        return Error(fill(txn("the file holds %1 usable question; the game counts at most %2",
                              "the file holds %1 usable questions; the game counts at most %2",
                              imported.usable()),
                          {std::to_string(imported.usable()), std::to_string(kMaxQuestions)}));
    auto edit = insertQuestions(size(), imported.questions);
    if (edit && *edit)
        (*edit)->description_ =
            counted(imported.questions.size(),
                    txn("Import %1 question", "Import %1 questions", imported.questions.size()));
    return edit;
}

bool Document::merge(Edit& previous, const Edit& next) {
    auto& states = state_->states;
    if (states.size() < 3 || states.back() != next.state_ ||
        states[states.size() - 2] != previous.state_ || previous.state_ == state_->savedState ||
        !previous.absorb(next))
        return false;
    states.pop_back();
    return true;
}

// --- the history ------------------------------------------------------------------------------

void EditHistory::push(EditPtr edit) {
    if (!edit) return;
    edits_.resize(done_);
    edit->apply(document_);
    if (!edits_.empty() && document_.merge(*edits_.back(), *edit)) return;
    edits_.push_back(std::move(edit));
    ++done_;
}

bool EditHistory::undo() {
    if (!canUndo()) return false;
    edits_[--done_]->revert(document_);
    return true;
}

bool EditHistory::redo() {
    if (!canRedo()) return false;
    edits_[done_++]->apply(document_);
    return true;
}

void EditHistory::clear() {
    edits_.clear();
    done_ = 0;
}

}  // namespace vexlor::authoring
