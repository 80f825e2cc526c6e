#pragma once

// A module as the editor holds it while the author works on it: its properties and questions as
// edited, the edits that undo themselves, the problems the game would have with it, and the
// save that writes it back without losing what the game wrote in the meantime.
//
// Nothing here knows of a window: the editor wraps each Edit into an undo command of its own
// toolkit and asks the document for rows, problems and filters.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/edits.h"
#include "authoring/fields.h"
#include "authoring/import.h"
#include "authoring/module_check.h"
#include "authoring/module_file.h"
#include "authoring/problem.h"
#include "base/result.h"

namespace vexlor::authoring {

class Document;

/// A high score as the module holds it, with the row it is stored in.
struct ScoreRecord {
    ScoreEntry entry;
    std::int64_t rowId = 0;
};

/// What a save did.
struct SaveReport {
    std::size_t questionsWritten = 0;  ///< question rows inserted or rewritten
    std::size_t questionsRemoved = 0;
    std::size_t askedBefore = 0;  ///< entries of the asked list just before the save
    std::size_t askedAfter = 0;
    bool askedRenumbered = false;
    std::size_t problems = 0;  ///< problems the saved module has (a save is allowed with them)
    // Save As only: the media files copied beside the new module, those already there, those
    // copied under a new name (old name, new name), and the media names no file was found for.
    std::size_t mediaCopied = 0;
    std::size_t mediaReused = 0;
    std::map<std::string, std::string> mediaRenamed;
    std::vector<std::string> mediaLeft;
};

/// How long Save and the immediate writes wait for another program's write lock before they
/// say the module is in use (the module store's own wait).
inline constexpr int kLockWaitMilliseconds = 2000;

/// A module being edited. Rows are the questions in the order the game numbers them: row r
/// (from 0) is question r + 1.
class Document {
  public:
    /// Opens a module file for editing, refused as the game refuses it (with the error's kind
    /// telling why), and also when any of its pages is damaged (ErrorKind::kDamaged): the
    /// editor writes, and must not write into a damaged file. A module that cannot be written
    /// (a read-only file) opens read-only: Save refuses, Save As works.
    static Result<Document> open(const std::filesystem::path& path);
    /// Makes a new module with the title and no questions, exactly as `vexlor-module create`
    /// makes one (indexes included), and opens it. An existing file is replaced only when
    /// `replace`.
    static Result<Document> create(const std::filesystem::path& path, const Properties& properties,
                                   bool replace);

    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    ~Document();

    const std::filesystem::path& path() const;
    /// The folder media names are looked up in: the module's own, unless one was set.
    std::filesystem::path mediaFolder() const;
    /// Looks media names up in `folder` instead: a module converted from the earlier format is
    /// edited in a temporary copy while its pictures lie beside the original. Rechecks every
    /// question. Revert and reload keep the folder; saveAs drops it for the new file's own.
    void setMediaFolder(std::filesystem::path folder);
    bool readOnly() const;

    // --- reading -------------------------------------------------------------------------

    const Properties& properties() const;
    std::size_t size() const;
    /// The question of a row; an empty one (and the id 0) past the last row, which a view a
    /// step behind the document may ask for.
    const Question& question(std::size_t row) const;
    /// Every question in row order (for export).
    std::vector<Question> questions() const;
    QuestionId id(std::size_t row) const;
    /// The row of a question, or nothing when it is not in the document (deleted).
    std::optional<std::size_t> rowOf(QuestionId id) const;
    /// The question's number in the file as last opened or saved (from 1), or nothing for a
    /// question added since.
    std::optional<std::size_t> savedNumber(std::size_t row) const;

    /// Whether the document differs from the file as last opened or saved: undoing every edit
    /// since makes it clean again.
    bool modified() const;

    /// The rows, in order, where `text` occurs in any field, letters compared without regard to
    /// case (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters) or to the accents of
    /// Latin letters. An empty text gives every row.
    std::vector<std::size_t> filter(std::string_view text) const;

    // --- edits: made here, applied by Edit::apply or EditHistory::push --------------------
    // Each gives nothing (a null edit) when it would change nothing, and an error when the
    // edit is not allowed (more questions than the game counts, a row past the end).

    Result<EditPtr> setProperty(PropertyField field, std::string value) const;
    Result<EditPtr> setQuestionField(std::size_t row, QuestionField field, std::string value) const;
    /// The field set to `value` in every given question (rows selected together), undone as one,
    /// each question getting back its own value. The first row given is the one selected after
    /// it (or its undo).
    Result<EditPtr> setQuestionFields(std::vector<std::size_t> rows, QuestionField field,
                                      std::string value) const;
    /// The questions inserted before `row` (size() adds them at the end), in their order.
    Result<EditPtr> insertQuestions(std::size_t row, std::vector<Question> questions) const;
    /// One new question at `row`, with empty texts and the default points ("100").
    Result<EditPtr> addQuestion(std::size_t row) const;
    /// A copy of each given question, all inserted after the last of them, in row order.
    Result<EditPtr> duplicateQuestions(std::vector<std::size_t> rows) const;
    Result<EditPtr> deleteQuestions(std::vector<std::size_t> rows) const;
    /// Moves each given question one row up (`down` false) or down, the rows between them
    /// keeping their order; nothing when one of them is already at the edge.
    Result<EditPtr> moveQuestions(std::vector<std::size_t> rows, bool down) const;
    /// The usable questions of pasted rows (see readPastedRows), inserted before `row`.
    Result<EditPtr> pasteQuestions(std::size_t row, const ImportResult& pasted) const;
    /// The usable questions of a file read by one of the import readers, added at the end.
    /// The window shows `imported.problems` (the skipped questions) before making this edit.
    Result<EditPtr> importQuestions(const ImportResult& imported) const;

    /// For an undo stack's merging: takes `next`, applied just after `previous`, into
    /// `previous` when both type into the same field of the same question and `previous` is
    /// not the saved state. True when `next` is to be dropped, as it is part of `previous`.
    bool merge(Edit& previous, const Edit& next);

    // --- problems ------------------------------------------------------------------------

    /// Every problem, questions in row order, the module's last. Kept up to date edit by edit:
    /// only the questions an edit touched are checked again.
    const std::vector<Problem>& problems() const;
    /// The problems of one question.
    std::vector<Problem> problemsOf(std::size_t row) const;
    /// Rechecks every question (after the author changed the media folder's files).
    void recheckAll();

    // --- the file ------------------------------------------------------------------------

    /// Writes every change in one transaction: the properties, the questions, and the asked
    /// list as it is in the file at this moment, renumbered so each asked question that still
    /// exists stays asked and deleted ones leave it. Refused without a title, when the file is
    /// read-only, when another program changed the module's questions since it was opened (its
    /// asked list and high scores may change at any time), and when the path no longer names
    /// the file opened (replaced or removed). When another program holds the
    /// module's write lock, waits up to kLockWaitMilliseconds, then fails with
    /// ErrorKind::kInUse, nothing written. On any failure the document keeps every edit.
    Result<SaveReport> save();
    /// Writes a new module file at `path` with the properties, the questions, the asked list
    /// (renumbered as by save) and every high score, built beside it and moved into place
    /// when complete. The document then edits the new file. An existing file is replaced only
    /// when `replace`; the module being edited itself cannot be the target (use save). When
    /// another program changed the questions of the module since it was opened (so save is
    /// refused), the copy keeps the author's questions with an empty asked list.
    Result<SaveReport> saveAs(const std::filesystem::path& path, bool replace);
    /// Reads the file again, dropping every edit (an undo history must be cleared).
    Status revert();

    /// What reload did with the changes made in the document.
    struct Reloaded {
        /// Makes the document's changes since it was last opened or saved again, on the module
        /// as the file holds it now; null when there were none. The caller applies it (pushes it
        /// on its undo history, cleared as after revert), and can so undo it to see the file as
        /// the other program left it.
        EditPtr reapply;
        /// Where the document and the other program changed the same thing: a field both
        /// changed (the document's value is kept), a question one deleted and the other
        /// changed (the changed question is kept).
        std::size_t conflicts = 0;
    };
    /// Reads the file again as another program left it, for a save refused because that
    /// program changed the questions or properties (ErrorKind::kChanged). Questions are matched
    /// by the rows they are stored in. The edit it gives sets each property and question field
    /// the document changed to the document's value, adds the questions added here, deletes
    /// the ones deleted here and puts the questions in the document's order; questions only
    /// the other program added stay after the question they follow in the file.
    Result<Reloaded> reload();

    /// The document as edited, for a recovery copy: the properties, and each question with
    /// the row the file stores it in (none for a question added since).
    struct Edited {
        struct Row {
            std::optional<std::int64_t> storedRow;
            Question question;
        };
        Properties properties;
        std::vector<Row> rows;
    };
    Edited edited() const;
    /// The edit that makes this document, as opened, the one `edited` keeps: questions whose
    /// stored row the file still holds stay the same questions (so the asked list follows them
    /// on save), the others are new. Null when it would change nothing.
    Result<EditPtr> restore(const Edited& edited) const;

    // --- the records the game keeps: read fresh, written at once, not undoable -----------

    /// The number of entries in the asked list now.
    Result<std::int64_t> askedCount();
    /// Empties the asked list in one transaction; gives the number of entries removed.
    Result<std::int64_t> forgetAsked();
    /// The top ten as the game ranks and shows it, read now, best first.
    Result<std::vector<ScoreRecord>> topTen();
    /// Deletes one high score, if it is still stored as read.
    Status deleteScore(const ScoreRecord& score);
    /// Deletes every high score in one transaction; gives the number removed.
    Result<std::int64_t> clearScores();

    // For the edits.
    struct State;

  private:
    friend class Edit;
    friend class EditFactory;
    friend class DocumentAccess;
    explicit Document(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

/// Rows copied from a spreadsheet: one question per line, cells separated by tabs, in the
/// order question, right answer, three wrong answers, points, media (the last two may be
/// left out, and points left blank are `settings.points`). A cell wholly in double quotes may
/// hold tabs, line breaks and doubled quotes, as spreadsheets copy them; quotes elsewhere are
/// text. Empty rows are skipped, and so is the first other row when it names the columns
/// (Question, Reponce, ...; a quoted "Question" is a question's text). Rows that cannot be
/// played are listed as problems. Usable questions past kMaxQuestions are only counted
/// (`questionsNotKept`). A text larger than kMaxImportBytes, or not UTF-8 (a NUL byte
/// included), is refused whole (`fatal`, with the line and column). Time is linear in the
/// text's size, and memory a small multiple of it.
ImportResult readPastedRows(std::string_view text, const ImportSettings& settings = {});

/// Questions as tab-separated rows that readPastedRows reads back to the same questions (any
/// question it reads, whatever its texts hold), for the clipboard.
std::string pastedRows(const std::vector<Question>& questions);

}  // namespace vexlor::authoring
