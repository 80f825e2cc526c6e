#include "authoring/document.h"
#include "authoring/document_state.h"

#include <unordered_map>

#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

using Entry = Document::State::Entry;

}  // namespace

// --- problems ---------------------------------------------------------------------------------

const std::vector<Problem>& Document::problems() const {
    State& state = *state_;
    if (!state.problemsStale) return state.problems;
    state.problems.clear();
    const fs::path folder = mediaFolder();
    std::unordered_map<std::string_view, std::size_t> firstWithText;
    firstWithText.reserve(state.rows.size());
    for (std::size_t row = 0; row < state.rows.size(); ++row) {
        const Entry& entry = state.rows[row];
        auto checked = state.checked.find(entry.id);
        if (checked == state.checked.end())
            checked = state.checked.emplace(entry.id, checkQuestion(entry.question, folder)).first;
        for (Problem found : checked->second) {
            found.question = entry.id;
            found.row = row;
            state.problems.push_back(std::move(found));
        }
        if (entry.repeatKey.empty()) continue;  // an empty text is a problem of its own
        auto [first, isFirst] = firstWithText.emplace(entry.repeatKey, row);
        if (!isFirst) {
            Problem& repeated = state.problems.emplace_back();
            // TRANSLATORS: %1 is the number of the earlier question with the same text.
            repeated.message =
                i18n::fill(i18n::tx("repeats question %1"), {std::to_string(first->second + 1)});
            repeated.field = QuestionField::kText;
            repeated.kind = Problem::Kind::kRepeated;
            repeated.question = entry.id;
            repeated.row = row;
        }
    }
    std::vector<Properties> propertyRows = state.base.properties;
    if (propertyRows.empty())
        propertyRows.push_back(state.properties);
    else
        propertyRows.front() = state.properties;
    for (Problem& found : checkModuleWhole(propertyRows, state.rows.size()))
        state.problems.push_back(std::move(found));
    state.problemsStale = false;
    return state.problems;
}

std::vector<Problem> Document::problemsOf(std::size_t row) const {
    std::vector<Problem> found;
    const QuestionId wanted = id(row);
    for (const Problem& problem : problems())
        if (problem.question == wanted) found.push_back(problem);
    return found;
}

void Document::recheckAll() {
    state_->checked.clear();
    state_->problemsStale = true;
}

}  // namespace vexlor::authoring
