#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/result.h"
#include "modules/module_database.h"
#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "rules/questions.h"

namespace vexlor::modules {

/// The most questions a module may hold.
using rules::kMaxQuestions;

struct Properties {
    std::string title;
    std::string author;
    std::string company;
    std::string year;

    bool operator==(const Properties&) const = default;
};

struct Question {
    std::string text;
    std::array<std::string, 4> answers;  ///< the right answer first, then the three wrong ones
    std::string points;
    std::string media;  ///< a picture or sound file beside the module; empty for none

    /// The fields in kQuestionColumns order.
    std::vector<std::string> fields() const;
    /// From fields in kQuestionColumns order; the media field may be left out.
    static Question fromFields(const std::vector<std::string>& fields);

    bool operator==(const Question&) const = default;
};

struct ScoreEntry {
    std::string name;
    std::string date;
    std::string score;

    bool operator==(const ScoreEntry&) const = default;
};

/// A high score with the row it is stored in.
struct StoredScore {
    ScoreEntry entry;
    std::int64_t rowId = 0;
};

/// A question with the row it is stored in.
struct StoredQuestion {
    std::int64_t rowId = 0;
    Question question;

    bool operator==(const StoredQuestion&) const = default;
};

/// Tells cheaply that nobody wrote a module since: the engine's data version (changes other
/// connections committed) and the changes made through this process's own connection, which
/// everything in the process that opens the file shares. A stamp never equals one read while the
/// engine could not tell its data version.
struct ChangeStamp {
    std::int64_t dataVersion = -1;
    std::int64_t ownChanges = -1;

    bool same(const ChangeStamp& other) const {
        return dataVersion != -1 && dataVersion == other.dataVersion &&
               ownChanges == other.ownChanges;
    }
};

/// A module's questions and properties as read at one moment, and the stamp of that moment.
struct ModuleSnapshot {
    std::vector<Properties> properties;  ///< every row (a good module has exactly one)
    std::vector<StoredQuestion> questions;
    ChangeStamp stamp;
};

/// Changes to a module's questions, properties and asked list, written by
/// ModuleStore::writeChanges in one transaction. Questions are pointed to, not copied: they must
/// outlive the call.
struct ModuleChanges {
    /// The module as the changes were made for: when any question or property row differs from
    /// it (another program wrote them since), nothing is written. Must be given.
    const ModuleSnapshot* base = nullptr;
    /// The new properties, when they changed; written into the first properties row, or a new
    /// row when there is none.
    std::optional<Properties> properties;
    /// Every question row is deleted and `appended` written in its place.
    bool rewriteAll = false;
    std::vector<std::int64_t> deleted;                              ///< row ids
    std::vector<std::pair<std::int64_t, const Question*>> updated;  ///< row id, new content
    std::vector<const Question*> appended;                          ///< after the last row
    /// New rows with the row ids given, which no row kept has: the order of row ids is the
    /// order of the questions.
    std::vector<std::pair<std::int64_t, const Question*>> placed;
    /// The new number of each question by its old number (index old - 1), 0 for a question
    /// that is gone. Empty when no number changes: the asked list is then left as it is.
    std::vector<std::int64_t> renumbered;
};

/// The asked list after questions moved: each entry naming question N becomes
/// `renumbered[N - 1]`; entries of questions that are gone (0 there), and entries naming no
/// question at all (not a number as the game writes one, or past the end), are left out.
std::vector<std::string> renumberAsked(const std::vector<std::string>& asked,
                                       const std::vector<std::int64_t>& renumbered);

/// What ModuleStore::writeChanges did.
struct ChangesWritten {
    std::vector<std::int64_t> rowIds;  ///< the question row ids after the change, in order
    ChangeStamp stamp;                 ///< of the module as written
    std::size_t askedBefore = 0;
    std::size_t askedAfter = 0;
};

/// The one store of a module file, for the game, the tool and the editor: a module opened with the
/// module key, its four tables read and written as typed values, every statement one of
/// module_sql.h's with its values bound. What it keeps in memory (the asked list as a set, the
/// questions' row ids) stays valid while the file's ChangeStamp is unchanged, the one rule by
/// which anything read from a module is known to be current; marking a question asked keeps it
/// current rather than reading it all again.
class ModuleStore {
  public:
    enum class Table { kQuestions, kProperties, kAsked, kScores };
    /// A read-only module is never written, not even to play back a journal left beside it.
    using Access = modules::Access;
    /// What an open asks of the tables: the authoring tools want every table with every column
    /// they write; the game plays what it finds, reading a missing column as empty, and judges
    /// the module by its title and its questions.
    enum class Layout { kComplete, kAsFound };

    /// Opens the module at `path`; a pipe, a folder or a device is refused before anything is
    /// opened. Failures keep the store's kind (kNoFile, kNotAFile, kNotAModule, kInUse, ...).
    static Result<ModuleStore> open(const std::filesystem::path& path,
                                    Access access = Access::kReadOnly,
                                    Layout layout = Layout::kComplete);

    /// The format and statements of a table.
    static const TableFormat& format(Table table);
    static const sql::TableStatements& statements(Table table);

    const std::filesystem::path& path() const { return path_; }
    /// Opened read-only: nothing is written.
    bool readOnly() const;

    /// Every row of the properties table (a good module has exactly one).
    Result<std::vector<Properties>> properties();
    /// The questions in the order the game numbers them.
    Result<std::vector<Question>> questions();
    /// The high scores ranked as the game ranks them, the best first.
    Result<std::vector<ScoreEntry>> scoresBestFirst();
    /// The high scores in the order they were stored, with their row ids.
    Result<std::vector<StoredScore>> storedScores();
    /// The best `count` high scores as the game ranks them, with their row ids.
    Result<std::vector<StoredScore>> bestScores(std::size_t count);
    /// The asked list in the order it was written.
    Result<std::vector<std::string>> asked();
    /// The row ids of the questions, in order.
    Result<std::vector<std::int64_t>> questionRowIds();
    /// The properties and the questions with their rows, read as one state of the file, and
    /// the stamp of that state.
    Result<ModuleSnapshot> snapshot();
    /// The pages check out (the database's quick check); a damaged file is not written to.
    Status checkPages();
    Result<std::int64_t> rowCount(Table table);
    /// Empties the list of asked questions in one transaction; gives the number of entries removed.
    Result<std::int64_t> clearAsked();
    /// Empties the high scores in one transaction; gives the number of entries removed.
    Result<std::int64_t> clearScores();
    /// Deletes one high score, only if its row still holds `score.entry`.
    Status deleteScore(const StoredScore& score);
    /// Writes the changes in one transaction: all or nothing. Another program's write lock is
    /// waited for a bounded time (the store's), then refused with ErrorKind::kInUse. Refused
    /// with ErrorKind::kChanged when the questions or properties are no longer those of
    /// `changes.base` (the asked list and the high scores may change at any time).
    Result<ChangesWritten> writeChanges(const ModuleChanges& changes);
    /// Adds questions after the last one in one transaction, so the numbers of the questions
    /// there (which the asked list holds) stay; all are added or none, and a refused or failed
    /// add (a full disk included) leaves the file byte for byte. Gives the new count.
    /// `alsoRead` counts questions of the same file that were read but not kept in memory:
    /// they count against the limit, so such an add is always refused.
    Result<std::int64_t> appendQuestions(const std::vector<Question>& questions,
                                         std::size_t alsoRead = 0);

    // What the game reads and writes as it plays.
    /// The first properties row (the one the game shows), each field read by its column's name;
    /// nothing when the table has no row.
    Result<std::optional<Properties>> firstProperties();
    /// The number of questions.
    Result<std::int64_t> questionCount();
    /// Question `number`, counted from 1 in row order; a column the table lacks reads as empty.
    Result<Question> question(std::int64_t number);
    /// The answer columns (Reponce, False1, False2, False3) the questions table lacks, in that
    /// order.
    std::vector<std::string> missingAnswerColumns();
    /// Whether the asked list names question `number` (as the game writes numbers).
    Result<bool> isAsked(std::int64_t number);
    /// Adds question `number` to the asked list.
    Status markAsked(std::int64_t number);
    /// Adds a high score.
    Status addScore(const ScoreEntry& entry);
    /// The connection: a Transaction on it makes several operations one write, and within one
    /// the file's stamp is read once.
    ModuleDatabase& database() { return *database_; }

  private:
    ModuleStore(std::filesystem::path path, std::shared_ptr<ModuleDatabase> database);
    /// Fails when the path no longer names the file opened (another program replaced or
    /// removed it): writing then would go into a file no one sees.
    Status stillThere() const;
    /// The failure `why` while doing `what` (a sentence of ours, or the store's error with its
    /// kind), naming the file; a lock held by another program is told as such.
    Error failure(const std::string& what, const Error& why) const;
    Result<std::int64_t> emptyTable(Table table, const std::string& what);
    /// The high scores a statement selects with their row ids (the row id's name marked in it).
    Result<std::vector<StoredScore>> scoresWithRows(std::string_view statement,
                                                    const std::vector<std::string>& values);
    /// Every row of a table, in row order (high scores in their ranking, the best first).
    Result<std::vector<Row>> readTable(Table table, const std::string& what);
    /// The stamp of the module as this connection sees it now.
    ChangeStamp stamp();
    /// The properties and questions with their rows, as stored now.
    Status readContent(ModuleSnapshot& into);
    /// The name of a table's row id, or why there is none to use.
    Result<std::string> rowIdOf(Table table, const std::string& what);
    /// The first row a statement selects with every column of `table`, each field by name.
    Result<std::optional<Row>> rowByName(Table table, std::string_view statement,
                                         const std::vector<std::string>& values,
                                         const std::string& what);
    /// The questions' row ids in order, read when what is kept is not current.
    Result<const std::vector<std::int64_t>*> keptQuestionRows();
    /// After one of the store's own writes of `rowsWritten` rows, begun when the file stood at
    /// `before`: what is kept stays, and stands for the file as it is now, only when that write
    /// was the file's only change (the caller then brings the table it wrote up to date).
    void carryForward(const ChangeStamp& before, std::int64_t rowsWritten);
    /// Brings what the store keeps up to the file: dropped when the stamp moved on.
    void forgetIfChanged();

    // Kept while the file's stamp stays `keptAt`.
    struct Kept {
        ChangeStamp keptAt;
        std::optional<std::unordered_set<std::string>> asked;
        std::optional<std::vector<std::int64_t>> questionRows;
    };

    std::filesystem::path path_;
    std::shared_ptr<ModuleDatabase> database_;
    std::uint64_t device_ = 0, inode_ = 0;  ///< of the file opened
    Kept kept_;
};

/// Removes the hidden temporary files that interrupted writes of new modules (create, Save As)
/// left in `folder`, whole or half written: only a plain file named as the tool names its
/// temporaries, whose creating process (its pid and start time) is gone and holds no lock on
/// it. Anything else stays.
/// Gives the number of files removed.
std::size_t removeStaleTemporaries(const std::filesystem::path& folder);

/// Builds a new module at `out`: `fill` gets the connection of an empty, encrypted file made
/// under a temporary name beside `out` and makes the tables and rows; the file is moved into
/// place only when `fill` succeeded, never over an existing `out` unless `replace`. A failure
/// leaves no trace and keeps the kind of `fill`'s error.
Status buildNewModule(const std::filesystem::path& out, bool replace,
                      const std::function<Status(ModuleDatabase&)>& fill);

/// Writes a new module with the given properties and questions and no asked questions or high
/// scores; more questions than the game counts are refused before anything is written. The module
/// is built in a temporary file beside `out` and moved into place only when complete, so a
/// failure leaves no trace. An existing `out` is replaced only when `replace`.
/// A journal or write-ahead log left beside `out` belongs to another file and is removed, so it
/// is never played into the new module.
/// `alsoRead` counts questions read but not kept, as for appendQuestions.
Status writeModule(const std::filesystem::path& out, const Properties& properties,
                   const std::vector<Question>& questions, bool replace, std::size_t alsoRead = 0);

/// The same, with an asked list and high scores (in the order they are to be stored): a copy of
/// a module, as the editor's Save As makes it.
Status writeModule(const std::filesystem::path& out, const Properties& properties,
                   const std::vector<Question>& questions, const std::vector<std::string>& asked,
                   const std::vector<ScoreEntry>& scores, bool replace);

}  // namespace vexlor::modules
