#include "authoring/document.h"
#include "authoring/document_state.h"
#include "authoring/text_folding.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

// Fields are joined by a byte no search text of the editor holds, so no match spans two.
constexpr char kFieldSeparator = '\x1F';

std::string searchText(const Question& question) {
    std::string out;
    for (std::size_t i = 0; i < kQuestionFieldCount; ++i) {
        if (i) out += kFieldSeparator;
        appendSearchFolded(out, fieldOf(question, static_cast<QuestionField>(i)));
    }
    return out;
}

std::string repeatKey(const Question& question) {
    return folded(importing::trim(question.text));
}

Document::Document(std::unique_ptr<State> state) : state_(std::move(state)) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Result<Document> Document::open(const fs::path& path) {
    auto file = ModuleStore::open(path, ModuleStore::Access::kReadWrite);
    // A module the author may not write is still shown; only Save As can keep changes.
    if (!file && file.error().kind() == ErrorKind::kNoAccess)
        file = ModuleStore::open(path, ModuleStore::Access::kReadOnly);
    if (!file) return file.error();
    // Writing into a damaged file could spread the damage: it is refused here, before any save.
    if (Status sound = file->checkPages(); !sound) return sound.error();
    auto snapshot = file->snapshot();
    if (!snapshot) return snapshot.error();

    auto state = std::make_unique<State>(std::move(*file));
    if (!snapshot->properties.empty()) state->properties = snapshot->properties.front();
    state->rows.reserve(snapshot->questions.size());
    for (const StoredQuestion& stored : snapshot->questions)
        state->rows.push_back(state->entry(stored.question));
    state->adopt(std::move(*snapshot));
    return Document(std::move(state));
}

Result<Document> Document::create(const fs::path& path, const Properties& properties,
                                  bool replace) {
    if (properties.title.empty())
        return Error(i18n::tx("a module needs a title: the game refuses a module without one"));
    if (Status written = writeModule(path, properties, {}, replace); !written)
        return written.error();
    return open(path);
}

const fs::path& Document::path() const {
    return state_->file.path();
}

fs::path Document::mediaFolder() const {
    if (state_->mediaFolder) return *state_->mediaFolder;
    const fs::path folder = path().parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

void Document::setMediaFolder(fs::path folder) {
    state_->mediaFolder = std::move(folder);
    recheckAll();
}

bool Document::readOnly() const {
    return state_->file.readOnly();
}

const Properties& Document::properties() const {
    return state_->properties;
}

std::size_t Document::size() const {
    return state_->rows.size();
}

const Question& Document::question(std::size_t row) const {
    static const Question kNone;
    return row < state_->rows.size() ? state_->rows[row].question : kNone;
}

std::vector<Question> Document::questions() const {
    std::vector<Question> all;
    all.reserve(size());
    for (const auto& row : state_->rows) all.push_back(row.question);
    return all;
}

QuestionId Document::id(std::size_t row) const {
    return row < state_->rows.size() ? state_->rows[row].id : 0;
}

std::optional<std::size_t> Document::rowOf(QuestionId id) const {
    State& state = *state_;
    if (state.rowIndexStale) {
        state.rowIndex.clear();
        state.rowIndex.reserve(state.rows.size());
        for (std::size_t i = 0; i < state.rows.size(); ++i)
            state.rowIndex.emplace(state.rows[i].id, i);
        state.rowIndexStale = false;
    }
    auto found = state.rowIndex.find(id);
    if (found == state.rowIndex.end()) return std::nullopt;
    return found->second;
}

std::optional<std::size_t> Document::savedNumber(std::size_t row) const {
    if (row >= state_->rows.size()) return std::nullopt;
    const auto place = state_->savedPlace(state_->rows[row].id);
    if (!place) return std::nullopt;
    return *place + 1;
}

bool Document::modified() const {
    return state_->states.back() != state_->savedState;
}

std::vector<std::size_t> Document::filter(std::string_view text) const {
    const std::string wanted = searchFolded(text);
    std::vector<std::size_t> found;
    const auto& rows = state_->rows;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (wanted.empty() || rows[i].search.find(wanted) != std::string::npos) found.push_back(i);
    return found;
}

// --- the game's records ---------------------------------------------------------------------

Result<std::int64_t> Document::askedCount() {
    return state_->file.rowCount(ModuleStore::Table::kAsked);
}

Result<std::int64_t> Document::forgetAsked() {
    if (readOnly())
        return Error(ErrorKind::kNoAccess, i18n::tx("cannot be written"), path().string());
    return state_->file.clearAsked();
}

Result<std::vector<ScoreRecord>> Document::topTen() {
    auto best = state_->file.bestScores(10);
    if (!best) return best.error();
    std::vector<ScoreRecord> records;
    for (auto& score : *best) records.push_back({std::move(score.entry), score.rowId});
    return records;
}

Status Document::deleteScore(const ScoreRecord& score) {
    if (readOnly())
        return Error(ErrorKind::kNoAccess, i18n::tx("cannot be written"), path().string());
    return state_->file.deleteScore({score.entry, score.rowId});
}

Result<std::int64_t> Document::clearScores() {
    if (readOnly())
        return Error(ErrorKind::kNoAccess, i18n::tx("cannot be written"), path().string());
    return state_->file.clearScores();
}

}  // namespace vexlor::authoring
