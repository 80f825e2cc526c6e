#include "authoring/document.h"
#include "authoring/module_media.h"

#include <algorithm>
#include <cassert>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDefaultPoints = "100";

// --- letter case for the search -------------------------------------------------------------

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The small letter of a two-byte capital: Latin-1, Latin Extended-A, Greek and Cyrillic.
char32_t smallLetter(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c == 0x178) return 0xFF;
    // Latin Extended-A pairs a capital with the small letter after it, on even code points
    // but for the stretches from U+0139 to U+0148 and from U+0179 to U+017E.
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F) {
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if ((c % 2 == 1) == oddCapitals) return c + 1;
    }
    return c;
}

// `text` with capitals made small, for comparing without regard to case. Every other byte,
// valid UTF-8 or not, stays as it is.
void appendFolded(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            continue;
        }
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((byte & 0xE0) == 0xC0 && (next & 0xC0) == 0x80) {
            appendUtf8(out, smallLetter(static_cast<char32_t>((byte & 0x1F) << 6 | (next & 0x3F))));
            ++i;
            continue;
        }
        out += static_cast<char>(byte);
    }
}

std::string folded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendFolded(out, text);
    return out;
}

// The letters a Latin letter with accents is written with, for a search that ignores accents
// ("ecole" finds "école", "oeuvre" finds "œuvre"); null for any other character.
const char* baseLetters(char32_t c) {
    struct Range {
        char32_t first, last;
        const char* base;
    };
    static constexpr Range kRanges[] = {
        {0xC0, 0xC5, "a"},   {0xC6, 0xC6, "ae"},   {0xC7, 0xC7, "c"},   {0xC8, 0xCB, "e"},
        {0xCC, 0xCF, "i"},   {0xD0, 0xD0, "d"},    {0xD1, 0xD1, "n"},   {0xD2, 0xD6, "o"},
        {0xD8, 0xD8, "o"},   {0xD9, 0xDC, "u"},    {0xDD, 0xDD, "y"},   {0xDF, 0xDF, "ss"},
        {0xE0, 0xE5, "a"},   {0xE6, 0xE6, "ae"},   {0xE7, 0xE7, "c"},   {0xE8, 0xEB, "e"},
        {0xEC, 0xEF, "i"},   {0xF0, 0xF0, "d"},    {0xF1, 0xF1, "n"},   {0xF2, 0xF6, "o"},
        {0xF8, 0xF8, "o"},   {0xF9, 0xFC, "u"},    {0xFD, 0xFD, "y"},   {0xFF, 0xFF, "y"},
        {0x100, 0x105, "a"}, {0x106, 0x10D, "c"},  {0x10E, 0x111, "d"}, {0x112, 0x11B, "e"},
        {0x11C, 0x123, "g"}, {0x124, 0x127, "h"},  {0x128, 0x131, "i"}, {0x132, 0x133, "ij"},
        {0x134, 0x135, "j"}, {0x136, 0x138, "k"},  {0x139, 0x142, "l"}, {0x143, 0x14B, "n"},
        {0x14C, 0x151, "o"}, {0x152, 0x153, "oe"}, {0x154, 0x159, "r"}, {0x15A, 0x161, "s"},
        {0x162, 0x167, "t"}, {0x168, 0x173, "u"},  {0x174, 0x175, "w"}, {0x176, 0x178, "y"},
        {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"},
    };
    for (const Range& range : kRanges)
        if (c >= range.first && c <= range.last) return range.base;
    return nullptr;
}

// `text` as the search compares it: folded, without accents, and without the combining accents
// (U+0300 to U+036F) a decomposed "e" + "\u0301" carries.
void appendSearchFolded(std::string& out, std::string_view text) {
    std::string small;
    appendFolded(small, text);
    for (std::size_t i = 0; i < small.size(); ++i) {
        const auto byte = static_cast<unsigned char>(small[i]);
        const auto next = i + 1 < small.size() ? static_cast<unsigned char>(small[i + 1]) : 0;
        if ((byte & 0xE0) == 0xC0 && (next & 0xC0) == 0x80) {
            const auto c = static_cast<char32_t>((byte & 0x1F) << 6 | (next & 0x3F));
            if (c >= 0x300 && c <= 0x36F) {
                ++i;
                continue;
            }
            if (const char* base = baseLetters(c)) {
                out += base;
                ++i;
                continue;
            }
        }
        out += static_cast<char>(byte);
    }
}

std::string searchFolded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendSearchFolded(out, text);
    return out;
}

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

// What two questions with the same text share: the text trimmed, without regard to case.
std::string repeatKey(const Question& question) {
    return folded(importing::trim(question.text));
}

std::string counted(std::size_t count, const char* one, const char* several) {
    return std::to_string(count) + " " + (count == 1 ? one : several);
}

// Rows sorted, each once; an error when one is past the end.
Result<std::vector<std::size_t>> sortedRows(std::vector<std::size_t> rows, std::size_t size) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!rows.empty() && rows.back() >= size)
        return Error("there is no question " + std::to_string(rows.back() + 1));
    return rows;
}

}  // namespace

std::string& fieldOf(Question& question, QuestionField field) {
    switch (field) {
        case QuestionField::kText:
            return question.text;
        case QuestionField::kPoints:
            return question.points;
        case QuestionField::kMedia:
            return question.media;
        default:
            return question.answers[static_cast<std::size_t>(field) - 1];
    }
}

const std::string& fieldOf(const Question& question, QuestionField field) {
    return fieldOf(const_cast<Question&>(question), field);
}

std::string& fieldOf(Properties& properties, PropertyField field) {
    switch (field) {
        case PropertyField::kTitle:
            return properties.title;
        case PropertyField::kAuthor:
            return properties.author;
        case PropertyField::kCompany:
            return properties.company;
        default:
            return properties.year;
    }
}

const std::string& fieldOf(const Properties& properties, PropertyField field) {
    return fieldOf(const_cast<Properties&>(properties), field);
}

std::string Problem::describe() const {
    if (kind == Kind::kModule) return "module: " + message;
    return "question " + std::to_string(row + 1) + ": " + message;
}

// --- the document's state -------------------------------------------------------------------

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

    ModuleFile file;
    /// Where media names are looked up when not beside `file` (see setMediaFolder).
    std::optional<fs::path> mediaFolder;
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
    mutable std::unordered_map<QuestionId, std::vector<QuestionProblem>> checked;
    mutable std::vector<Problem> problems;
    mutable bool problemsStale = true;

    explicit State(ModuleFile opened) : file(std::move(opened)) {}

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

Document::Document(std::unique_ptr<State> state) : state_(std::move(state)) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

Result<Document> Document::open(const fs::path& path) {
    auto file = ModuleFile::open(path, ModuleFile::Access::kReadWrite);
    // A module the author may not write is still shown; only Save As can keep changes.
    if (!file && file.error().kind() == ErrorKind::kNoAccess)
        file = ModuleFile::open(path, ModuleFile::Access::kReadOnly);
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
        return Error("a module needs a title: the game refuses a module without one");
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
    return state_->rows.at(row).question;
}

std::vector<Question> Document::questions() const {
    std::vector<Question> all;
    all.reserve(size());
    for (const auto& row : state_->rows) all.push_back(row.question);
    return all;
}

QuestionId Document::id(std::size_t row) const {
    return state_->rows.at(row).id;
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
    const auto place = state_->savedPlace(state_->rows.at(row).id);
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

using Entry = Document::State::Entry;

}  // namespace

// The edits reach into the document's state through these.
class DocumentAccess {
  public:
    static Document::State& of(Document& document) { return *document.state_; }
};

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
        static const char* const names[] = {"the title", "the author", "the company", "the year"};
        return std::string("Edit ") + names[static_cast<int>(field)];
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
        static const char* const names[] = {
            "the question",       "the right answer", "the wrong answer 1", "the wrong answer 2",
            "the wrong answer 3", "the points",       "the media"};
        std::string description = std::string("Edit ") + names[static_cast<int>(field)];
        if (questions > 1) description += " of " + counted(questions, "question", "questions");
        return description;
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
        : Edit("Delete " + counted(rows.size(), "question", "questions")), rows_(std::move(rows)) {
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
        : Edit(std::string("Move ") + counted(rows.size(), "question", "questions") +
               (down ? " down" : " up")),
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
        : Edit("Apply the changes made here again"),
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

class EditFactory {
  public:
    static Result<EditPtr> made(EditPtr edit, Document::State& state) {
        edit->state_ = state.nextState++;
        return edit;
    }
};

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
        if (row >= size()) return Error("there is no question " + std::to_string(row + 1));
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
    if (row > size()) return Error("there is no question " + std::to_string(row + 1));
    if (questions.empty()) return EditPtr();
    if (static_cast<std::int64_t>(size() + questions.size()) > kMaxQuestions)
        return Error("the module would hold " + std::to_string(size() + questions.size()) +
                     " questions; the game counts at most " + std::to_string(kMaxQuestions));
    const std::string description =
        questions.size() == 1 ? "Add a question"
                              : "Add " + counted(questions.size(), "question", "questions");
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
        (*edit)->description_ = "Duplicate " + counted(sorted->size(), "question", "questions");
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
            "Paste " + counted(pasted.questions.size(), "question", "questions");
    return edit;
}

Result<EditPtr> Document::importQuestions(const ImportResult& imported) const {
    if (imported.questionsNotKept)
        return Error("the file holds " + std::to_string(imported.usable()) +
                     " usable questions; the game counts at most " + std::to_string(kMaxQuestions));
    auto edit = insertQuestions(size(), imported.questions);
    if (edit && *edit)
        (*edit)->description_ =
            "Import " + counted(imported.questions.size(), "question", "questions");
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

// --- saving -----------------------------------------------------------------------------------

namespace {

// How the question rows of the file become the document's, in as few writes as can be told
// cheaply. The game numbers questions by their place in row-id order, so
//  - anchored: the longest run of questions still in their old order keeps its rows (edited
//    ones rewritten); deleted and moved questions lose theirs, and new and moved ones get rows
//    with ids between their neighbours', where there is room: before the first and after the
//    last there always is;
//  - by place: the row at each place takes the question now there, where it differs (a move
//    by one place rewrites two rows);
//  - or every row is written anew, in large statements, when that costs less.
struct Plan {
    ModuleChanges changes;
    std::size_t written = 0;
    std::size_t removed = 0;
};

}  // namespace

// For the anchored plan: the row id each question that needs a new row gets, none for the
// questions that keep theirs (the longest run of kept questions still in their old order), or
// nothing when the new rows do not fit between the kept ones. Row ids may go below 1: only their
// order counts.
static std::optional<std::vector<std::optional<std::int64_t>>> anchoredRowIds(
    const Document::State& state, const std::vector<std::optional<std::size_t>>& from) {
    const auto& stored = state.base.questions;
    const std::size_t count = from.size();
    // The longest increasing run of old places, by patience sorting.
    std::vector<std::size_t> tails;  // row of the smallest last place of a run of each length
    std::vector<std::size_t> before(count, SIZE_MAX);
    for (std::size_t i = 0; i < count; ++i) {
        if (!from[i]) continue;
        auto at = std::lower_bound(
            tails.begin(), tails.end(), *from[i],
            [&](std::size_t row, std::size_t place) { return *from[row] < place; });
        if (at != tails.begin()) before[i] = *std::prev(at);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> anchored(count, false);
    for (std::size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = before[i])
        anchored[i] = true;

    constexpr std::int64_t kLowest = -(std::int64_t{1} << 62), kHighest = std::int64_t{1} << 62;
    std::vector<std::optional<std::int64_t>> ids(count);
    std::optional<std::int64_t> low;  // the row id of the last anchored question
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= count; ++i) {
        if (i < count && !anchored[i]) continue;
        const auto run = static_cast<std::int64_t>(i - runStart);
        const std::optional<std::int64_t> high =
            i < count ? std::optional(stored[*from[i]].rowId) : std::nullopt;
        std::int64_t first = 1;
        if (low && high) {
            if (*high - *low - 1 < run) return std::nullopt;
            first = *low + 1;
        } else if (low) {
            if (*low > kHighest - run) return std::nullopt;
            first = *low + 1;
        } else if (high) {
            if (*high < kLowest + run) return std::nullopt;
            first = *high - run;
        }
        for (std::size_t j = runStart; j < i; ++j)
            ids[j] = first + static_cast<std::int64_t>(j - runStart);
        if (high) low = high;
        runStart = i + 1;
    }
    return ids;
}

// The plan for the document's rows, over the file's saved rows.
static Plan planSave(const Document::State& state) {
    const auto& rows = state.rows;
    const auto& stored = state.base.questions;
    Plan plan;
    auto& changes = plan.changes;
    changes.base = &state.base;
    if (state.properties != state.savedProperties()) changes.properties = state.properties;

    // The old place of each row's question, or none for a new one; and the new number of each
    // old question, 0 for one that is gone.
    std::vector<std::optional<std::size_t>> from(rows.size());
    std::vector<std::int64_t> renumbered(stored.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        from[i] = state.savedPlace(rows[i].id);
        if (from[i]) renumbered[*from[i]] = static_cast<std::int64_t>(i + 1);
    }
    // Any question whose number changes or that is gone, the last ones included: an asked
    // entry naming its old number would name another question, or a new one.
    for (std::size_t place = 0; place < renumbered.size(); ++place)
        if (renumbered[place] != static_cast<std::int64_t>(place + 1)) {
            changes.renumbered = std::move(renumbered);
            break;
        }

    auto edited = [&](std::size_t i) { return rows[i].version != state.savedVersions[*from[i]]; };
    // Anchored.
    const auto placedIds = anchoredRowIds(state, from);
    std::size_t anchoredCost = SIZE_MAX;
    if (placedIds) {
        anchoredCost = 0;
        std::size_t unanchored = stored.size();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if ((*placedIds)[i]) {
                ++anchoredCost;
            } else {
                --unanchored;
                if (edited(i)) ++anchoredCost;
            }
        }
        anchoredCost += unanchored / 16;  // many rows go in one statement
    }
    // By place.
    std::size_t byPlaceCost = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (i >= stored.size() || !from[i] || *from[i] != i || edited(i)) ++byPlaceCost;
    // Anew: a statement writes many rows, at a fraction of a single write each.
    const std::size_t anewCost = rows.size() / 4 + 1;

    if (anchoredCost <= byPlaceCost && anchoredCost <= anewCost) {
        std::vector<bool> anchored(stored.size(), false);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (const auto id = (*placedIds)[i]) {
                changes.placed.emplace_back(*id, &rows[i].question);
                continue;
            }
            anchored[*from[i]] = true;
            if (edited(i)) changes.updated.emplace_back(stored[*from[i]].rowId, &rows[i].question);
        }
        for (std::size_t j = 0; j < stored.size(); ++j)
            if (!anchored[j]) changes.deleted.push_back(stored[j].rowId);
    } else if (byPlaceCost <= anewCost) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i >= stored.size())
                changes.appended.push_back(&rows[i].question);
            else if (!from[i] || *from[i] != i || edited(i))
                changes.updated.emplace_back(stored[i].rowId, &rows[i].question);
        }
        for (std::size_t j = rows.size(); j < stored.size(); ++j)
            changes.deleted.push_back(stored[j].rowId);
    } else {
        changes.rewriteAll = true;
        for (const auto& row : rows) changes.appended.push_back(&row.question);
    }
    plan.written = changes.updated.size() + changes.appended.size() + changes.placed.size();
    plan.removed = stored.size() > rows.size() ? stored.size() - rows.size() : 0;
    return plan;
}

namespace {

Status refuseWithoutTitle(const Properties& properties, const fs::path& path) {
    if (!properties.title.empty()) return Status::success();
    return Error(ErrorKind::kFailed,
                 "cannot save: the module has no title, and the game refuses a module without "
                 "one; give it a title",
                 path.string());
}

}  // namespace

Result<SaveReport> Document::save() {
    State& state = *state_;
    if (Status titled = refuseWithoutTitle(state.properties, path()); !titled)
        return titled.error();
    if (readOnly())
        return Error(ErrorKind::kNoAccess,
                     "cannot save: the file cannot be written; use Save As to keep the changes "
                     "in a new file",
                     path().string());
    Plan plan = planSave(state);
    auto written = state.file.writeChanges(plan.changes);
    if (!written) return written.error();
    if (written->rowIds.size() != state.rows.size())
        return Error("saved, but the module now holds " + std::to_string(written->rowIds.size()) +
                     " questions where " + std::to_string(state.rows.size()) +
                     " were written; revert to see them");
    state.adoptWritten(written->rowIds, written->stamp);
    SaveReport report;
    report.questionsWritten = plan.written;
    report.questionsRemoved = plan.removed;
    report.askedBefore = written->askedBefore;
    report.askedAfter = written->askedAfter;
    report.askedRenumbered = !plan.changes.renumbered.empty();
    report.problems = problems().size();
    return report;
}

Result<SaveReport> Document::saveAs(const fs::path& target, bool replace) {
    State& state = *state_;
    if (Status titled = refuseWithoutTitle(state.properties, target); !titled)
        return titled.error();
    std::error_code error;
    if (fs::equivalent(target, path(), error))
        return Error(ErrorKind::kFailed, "is the module being edited: use Save", target.string());

    // The asked list and the top ten as they are now, the asked list renumbered as a save
    // would.
    auto asked = state.file.asked();
    if (!asked) return asked.error();
    auto stored = state.file.storedScores();
    if (!stored) return stored.error();
    auto rowIds = state.file.questionRowIds();
    if (!rowIds) return rowIds.error();
    const Plan plan = planSave(state);
    std::vector<std::string> newAsked =
        plan.changes.renumbered.empty() ? *asked : renumberAsked(*asked, plan.changes.renumbered);
    // When another program changed the questions, the asked list's numbers name its questions,
    // not these: the copy starts with none asked.
    const bool sameRows = std::equal(
        rowIds->begin(), rowIds->end(), state.base.questions.begin(), state.base.questions.end(),
        [](std::int64_t id, const StoredQuestion& kept) { return id == kept.rowId; });
    if (!sameRows) newAsked.clear();
    // The media travel with the module: copied first, and taken away again when the module
    // cannot be written, so a failed Save As leaves the folder as it was.
    const MediaSurvey survey = surveyMedia(this->questions(), mediaFolder());
    const fs::path targetFolder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    auto media = copyUsedMedia(survey, targetFolder);
    if (!media)
        return Error(
            media.error().kind(),
            "cannot save: the media file " + media.error().what() + "; nothing was written",
            target.string());
    const std::vector<Question> questions = media->follow(this->questions());
    std::vector<ScoreEntry> scores;
    for (auto& score : *stored) scores.push_back(std::move(score.entry));
    if (Status written =
            writeModule(target, state.properties, questions, newAsked, scores, replace);
        !written)
        return written.error();
    media->keep();

    auto opened = ModuleFile::open(target, ModuleFile::Access::kReadWrite);
    if (!opened) return opened.error();
    auto copy = opened->snapshot();
    if (!copy) return copy.error();
    if (copy->questions.size() != state.rows.size())
        return Error(ErrorKind::kFailed, "was written with the wrong number of questions",
                     target.string());
    state.file = std::move(*opened);
    // The questions whose media were copied under a new name name that one now, as the file.
    for (const auto& [row, name] : media->renamedRows()) state.rows[row].question.media = name;
    state.mediaFolder.reset();
    state.adopt(std::move(*copy));
    state.checked.clear();  // media are looked up in the new folder
    state.problemsStale = true;

    SaveReport report;
    report.questionsWritten = questions.size();
    report.askedBefore = asked->size();
    report.askedAfter = newAsked.size();
    report.askedRenumbered = !plan.changes.renumbered.empty();
    report.problems = problems().size();
    report.mediaCopied = media->copied();
    report.mediaReused = media->reused();
    report.mediaRenamed = media->renamed();
    report.mediaLeft = survey.left;
    return report;
}

Status Document::revert() {
    auto reopened = open(path());
    if (!reopened) return reopened.error();
    reopened->state_->mediaFolder = state_->mediaFolder;
    *this = std::move(*reopened);
    return Status::success();
}

namespace {

constexpr QuestionField kEveryField[] = {
    QuestionField::kText,   QuestionField::kRight,  QuestionField::kWrong1, QuestionField::kWrong2,
    QuestionField::kWrong3, QuestionField::kPoints, QuestionField::kMedia};
constexpr PropertyField kEveryProperty[] = {PropertyField::kTitle, PropertyField::kAuthor,
                                            PropertyField::kCompany, PropertyField::kYear};

// `now` with each field that `mine` changed from `was` taken from `mine`, counting the fields
// both changed to different values.
template <typename Record, typename Fields>
Record merged(const Record& was, const Record& mine, Record now, const Fields& fields,
              std::size_t& conflicts) {
    for (const auto field : fields) {
        const std::string& changed = fieldOf(mine, field);
        if (changed == fieldOf(was, field)) continue;
        std::string& theirs = fieldOf(now, field);
        if (theirs != fieldOf(was, field) && theirs != changed) ++conflicts;
        theirs = changed;
    }
    return now;
}

}  // namespace

Result<Document::Reloaded> Document::reload() {
    auto reopened = open(path());
    if (!reopened) return reopened.error();
    reopened->state_->mediaFolder = state_->mediaFolder;
    const State& mine = *state_;
    State& fresh = *reopened->state_;
    Reloaded reloaded;
    if (!modified()) {
        *this = std::move(*reopened);
        return reloaded;
    }

    std::unordered_map<std::int64_t, std::size_t> freshPlaces;  // by row id
    freshPlaces.reserve(fresh.base.questions.size());
    for (std::size_t i = 0; i < fresh.base.questions.size(); ++i)
        freshPlaces.emplace(fresh.base.questions[i].rowId, i);
    auto freshPlace = [&](std::size_t savedPlace) -> std::optional<std::size_t> {
        auto found = freshPlaces.find(mine.base.questions[savedPlace].rowId);
        if (found == freshPlaces.end()) return std::nullopt;
        return found->second;
    };

    // The document's questions in its order, each stored one as the file holds it now with
    // the fields changed here; where each fresh row went.
    std::vector<Entry> rows;
    rows.reserve(mine.rows.size() + fresh.rows.size());
    std::vector<std::optional<std::size_t>> placedAt(fresh.rows.size());
    std::vector<bool> dropped(fresh.rows.size(), false);
    std::vector<bool> stillHere(mine.base.questions.size(), false);
    for (const Entry& entry : mine.rows) {
        const auto place = mine.savedPlace(entry.id);
        if (place) stillHere[*place] = true;
        const auto at = place ? freshPlace(*place) : std::nullopt;
        if (!at) {
            // Added here, or changed here and deleted by the other program: kept as new.
            if (place && entry.question != mine.base.questions[*place].question)
                ++reloaded.conflicts;
            if (!place || entry.question != mine.base.questions[*place].question)
                rows.push_back(fresh.entry(entry.question));
            continue;
        }
        Entry kept = fresh.rows[*at];
        const Question question = merged(mine.base.questions[*place].question, entry.question,
                                         kept.question, kEveryField, reloaded.conflicts);
        if (question != kept.question) {
            kept.question = question;
            kept.version = fresh.nextVersion++;
            kept.search = searchText(kept.question);
            kept.repeatKey = repeatKey(kept.question);
        }
        placedAt[*at] = rows.size();
        rows.push_back(std::move(kept));
    }
    // Deleted here: deleted again, unless the other program changed them since.
    for (std::size_t place = 0; place < mine.base.questions.size(); ++place) {
        if (stillHere[place]) continue;
        if (const auto at = freshPlace(place)) {
            if (fresh.base.questions[*at].question == mine.base.questions[place].question)
                dropped[*at] = true;
            else
                ++reloaded.conflicts;
        }
    }
    // The other program's own questions go before the question they precede in the file, and
    // last when they were last (as added questions are).
    std::vector<std::vector<std::size_t>> before(rows.size() + 1);  // [rows.size()]: at the end
    std::size_t anchor = rows.size();
    for (std::size_t i = fresh.rows.size(); i-- > 0;) {
        if (placedAt[i])
            anchor = *placedAt[i];
        else if (!dropped[i])
            before[anchor].push_back(i);
    }
    std::vector<Entry> ordered;
    ordered.reserve(rows.size() + fresh.rows.size());
    for (std::size_t k = 0; k <= rows.size(); ++k) {
        for (auto i = before[k].rbegin(); i != before[k].rend(); ++i)
            ordered.push_back(fresh.rows[*i]);
        if (k < rows.size()) ordered.push_back(std::move(rows[k]));
    }
    const Properties properties = merged(mine.savedProperties(), mine.properties, fresh.properties,
                                         kEveryProperty, reloaded.conflicts);

    *this = std::move(*reopened);
    State& state = *state_;
    if (properties == state.properties && ordered.size() == state.rows.size() &&
        std::equal(
            ordered.begin(), ordered.end(), state.rows.begin(),
            [](const Entry& a, const Entry& b) { return a.id == b.id && a.version == b.version; }))
        return reloaded;  // the other program made the same changes
    auto edit =
        EditFactory::made(std::make_unique<ReplaceEdit>(std::move(ordered), properties), state);
    if (!edit) return edit.error();
    reloaded.reapply = std::move(*edit);
    return reloaded;
}

// --- recovery -------------------------------------------------------------------------------

Document::Edited Document::edited() const {
    Edited edited;
    edited.properties = state_->properties;
    edited.rows.reserve(state_->rows.size());
    for (const Entry& entry : state_->rows) {
        const auto place = state_->savedPlace(entry.id);
        edited.rows.push_back(
            {place ? std::optional(state_->base.questions[*place].rowId) : std::nullopt,
             entry.question});
    }
    return edited;
}

Result<EditPtr> Document::restore(const Edited& edited) const {
    if (static_cast<std::int64_t>(edited.rows.size()) > kMaxQuestions)
        return Error("the copy holds " + std::to_string(edited.rows.size()) +
                     " questions; the game counts at most " + std::to_string(kMaxQuestions));
    State& state = *state_;
    std::unordered_map<std::int64_t, std::size_t> rowOfStored;  // this document's row
    for (std::size_t row = 0; row < state.rows.size(); ++row)
        if (const auto place = state.savedPlace(state.rows[row].id))
            rowOfStored.emplace(state.base.questions[*place].rowId, row);
    std::vector<Entry> rows;
    rows.reserve(edited.rows.size());
    for (const Edited::Row& wanted : edited.rows) {
        const auto found =
            wanted.storedRow ? rowOfStored.find(*wanted.storedRow) : rowOfStored.end();
        if (found == rowOfStored.end()) {
            rows.push_back(state.entry(wanted.question));
            continue;
        }
        Entry kept = state.rows[found->second];
        rowOfStored.erase(found);  // a row named twice is one question, then a new one
        if (kept.question != wanted.question) {
            kept.question = wanted.question;
            kept.version = state.nextVersion++;
            kept.search = searchText(kept.question);
            kept.repeatKey = repeatKey(kept.question);
        }
        rows.push_back(std::move(kept));
    }
    if (edited.properties == state.properties && rows.size() == state.rows.size() &&
        std::equal(rows.begin(), rows.end(), state.rows.begin(),
                   [](const Entry& a, const Entry& b) {
                       return a.id == b.id && a.question == b.question;
                   }))
        return EditPtr();
    auto edit =
        EditFactory::made(std::make_unique<ReplaceEdit>(std::move(rows), edited.properties), state);
    if (edit && *edit) (*edit)->description_ = "Recover unsaved changes";
    return edit;
}

// --- the game's records ---------------------------------------------------------------------

Result<std::int64_t> Document::askedCount() {
    return state_->file.rowCount(ModuleFile::Table::kAsked);
}

Result<std::int64_t> Document::forgetAsked() {
    if (readOnly()) return Error(ErrorKind::kNoAccess, "cannot be written", path().string());
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
    if (readOnly()) return Error(ErrorKind::kNoAccess, "cannot be written", path().string());
    return state_->file.deleteScore({score.entry, score.rowId});
}

Result<std::int64_t> Document::clearScores() {
    if (readOnly()) return Error(ErrorKind::kNoAccess, "cannot be written", path().string());
    return state_->file.clearScores();
}

}  // namespace vexlor::authoring
