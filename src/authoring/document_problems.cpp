#include "authoring/document.h"
#include "authoring/document_state.h"

#include <unordered_map>

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

using Entry = Document::State::Entry;

}  // namespace

std::string Problem::describe() const {
    if (kind == Kind::kModule) return "module: " + message;
    return "question " + std::to_string(row + 1) + ": " + message;
}

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
        for (const QuestionProblem& found : checked->second)
            state.problems.push_back({Problem::Kind::kQuestion, found.breaksGame, entry.id, row,
                                      found.message, found.field});
        if (entry.repeatKey.empty()) continue;  // an empty text is a problem of its own
        auto [first, isFirst] = firstWithText.emplace(entry.repeatKey, row);
        if (!isFirst)
            state.problems.push_back({Problem::Kind::kRepeated, false, entry.id, row,
                                      "repeats question " + std::to_string(first->second + 1),
                                      QuestionField::kText});
    }
    std::vector<Properties> propertyRows = state.base.properties;
    if (propertyRows.empty())
        propertyRows.push_back(state.properties);
    else
        propertyRows.front() = state.properties;
    for (QuestionProblem& found : checkModuleWhole(propertyRows, state.rows.size()))
        state.problems.push_back(
            {Problem::Kind::kModule, found.breaksGame, 0, 0, std::move(found.message), {}});
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
