#pragma once

// The document's state as its own files share it (the document, its edits, its problems and
// its save): not for the document's users.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "authoring/document.h"

namespace vexlor::authoring {

/// The text the search looks in: every field, folded for the search.
std::string searchText(const Question& question);
/// What two questions with the same text share: the text trimmed, without regard to case.
std::string repeatKey(const Question& question);

struct Document::State {
    struct Entry {
        QuestionId id = 0;
        Question question;
        std::string search;  ///< searchText(question)
        /// Which content the question has: every edit of a field gives a new one, its undo
        /// the one before, so a save knows what to write without comparing texts.
        std::uint64_t version = 0;
        std::string repeatKey;  ///< repeatKey(question)
    };

    ModuleStore file;
    /// Where media names are looked up when not beside `file` (see setMediaFolder).
    std::optional<std::filesystem::path> mediaFolder;
    Properties properties;
    std::vector<Entry> rows;
    /// The file as last read or written: a save writes over nothing else.
    ModuleSnapshot base;
    /// The content version in the document of each question of `base`, place by place: a
    /// question whose version differs was edited since.
    std::vector<std::uint64_t> savedVersions;
    /// The place in `base` of each question the file holds, by identity: questions that an
    /// undo history holds outside the document are found here too, so one that was deleted and
    /// saved, then brought back, is a new question and not the one at its old place.
    std::unordered_map<QuestionId, std::size_t> savedPlaces;
    QuestionId nextId = 1;
    std::uint64_t nextVersion = 1;

    // Where each question is, rebuilt when asked for after rows moved.
    mutable std::unordered_map<QuestionId, std::size_t> rowIndex;
    mutable bool rowIndexStale = true;

    // The states the edits led to, the current one last; the saved one is `savedState`.
    std::vector<std::uint64_t> states{0};
    std::uint64_t savedState = 0;
    mutable std::uint64_t nextState = 1;

    // Problems of each question by its identity, kept while the question is unchanged.
    mutable std::unordered_map<QuestionId, std::vector<Problem>> checked;
    mutable std::vector<Problem> problems;
    mutable bool problemsStale = true;

    explicit State(ModuleStore opened) : file(std::move(opened)) {}

    Entry entry(Question question) {
        Entry made;
        made.id = nextId++;
        made.question = std::move(question);
        made.search = searchText(made.question);
        made.repeatKey = repeatKey(made.question);
        return made;
    }

    void rowsMoved() {
        rowIndexStale = true;
        problemsStale = true;
    }
    void changed(QuestionId id) {
        checked.erase(id);
        problemsStale = true;
    }

    /// The properties as the file holds them (none when it has no properties row).
    const Properties& savedProperties() const {
        static const Properties none;
        return base.properties.empty() ? none : base.properties.front();
    }
    std::optional<std::size_t> savedPlace(QuestionId id) const {
        const auto found = savedPlaces.find(id);
        if (found == savedPlaces.end()) return std::nullopt;
        return found->second;
    }

    // The document as it is becomes what the file holds, read back as `stored`.
    void adopt(ModuleSnapshot stored) {
        base = std::move(stored);
        savedVersions.clear();
        savedVersions.reserve(rows.size());
        savedPlaces.clear();
        savedPlaces.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            savedVersions.push_back(rows[i].version);
            savedPlaces.emplace(rows[i].id, i);
        }
        savedState = states.back();
    }

    // The document as it is becomes what the file holds after a save, its questions now in
    // the rows `rowIds`: the stored content is the saved one for questions the save did not
    // write, and the document's for the rest.
    void adoptWritten(const std::vector<std::int64_t>& rowIds, const ChangeStamp& stamp) {
        ModuleSnapshot written;
        written.stamp = stamp;
        written.properties = std::move(base.properties);
        if (written.properties.empty())
            written.properties.push_back(properties);
        else
            written.properties.front() = properties;
        written.questions.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto place = savedPlace(rows[i].id);
            if (place && savedVersions[*place] == rows[i].version)
                written.questions.push_back(
                    {rowIds[i], std::move(base.questions[*place].question)});
            else
                written.questions.push_back({rowIds[i], rows[i].question});
        }
        adopt(std::move(written));
    }
};

// The edits reach into the document's state through these.
class DocumentAccess {
  public:
    static Document::State& of(Document& document) { return *document.state_; }
};

// Gives an edit the state it leads to.
class EditFactory {
  public:
    static Result<EditPtr> made(EditPtr edit, Document::State& state) {
        edit->state_ = state.nextState++;
        return edit;
    }
};

/// The edit that puts `rows` and `properties` in place of the document's, and back.
EditPtr replaceEdit(std::vector<Document::State::Entry> rows, Properties properties);

}  // namespace vexlor::authoring
