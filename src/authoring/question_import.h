#pragma once

// A question file read as the editor and the tool both read it: its encoding, its separator and
// header, the module's fields its columns hold, and the questions screened to the rules of check,
// with a note of everything skipped or doubtful in file order.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/import.h"
#include "base/result.h"

namespace vexlor::authoring {

/// What a column of a question file holds.
enum class ColumnField { kQuestion, kRight, kWrong1, kWrong2, kWrong3, kPoints, kMedia, kSkip };
inline constexpr std::size_t kColumnFieldCount = 8;

/// "question", "right", "wrong1", "wrong2", "wrong3", "points", "media" or "skip".
std::string_view columnFieldName(ColumnField field);
/// "Question", "Right answer", "Wrong answer 1", ..., "Not imported": as the editor's form says.
std::string_view columnFieldTitle(ColumnField field);

/// The field a header cell names, in English or French ("Bonne réponse", "Wrong 2", "Son",
/// "Reponce"...), ignoring letter case, accents and surrounding blanks; `number` gets the number
/// after a wrong answer's name (0 when none).
std::optional<ColumnField> guessColumnField(std::string_view cell, int* number = nullptr);
/// Whether a first row names columns rather than holding a question: two of its cells name
/// fields.
bool looksLikeHeader(const std::vector<std::string>& cells);
/// The fields a header's cells name; a cell naming none, or a field named already, is skipped.
/// Unnumbered wrong answers take the wrong answers not numbered by others, in order.
std::vector<ColumnField> guessColumns(const std::vector<std::string>& header);
/// Columns without a header, as the module's own: question, right answer, three wrong answers,
/// points, media; further columns skipped.
std::vector<ColumnField> columnsByPosition(std::size_t width);
/// A list such as "question,right,wrong1,wrong2,wrong3,skip,points" (the names of
/// columnFieldName, "wrong" for the next wrong answer), or why it cannot be used.
Result<std::vector<ColumnField>> parseColumnList(std::string_view list);
/// Why no question can be read with these columns (a field no column holds), if so.
std::optional<std::string> missingColumn(const std::vector<ColumnField>& columns);

enum class EncodingChoice {
    kDetect,  ///< UTF-8 (with or without a byte-order mark); anything else as Windows-1252
    kUtf8,
    kWindows1252,
};

enum class ColumnsChoice {
    kModuleHeader,  ///< CSV must carry the module's own header, Question,Reponce,...
    kGuess,         ///< told by the header's names, or by position when there is none
    kGiven,         ///< QuestionImportOptions::columns, in the file's order
};

struct QuestionImportOptions {
    std::optional<ImportFormat> format;  ///< told by the file's name and content when not given
    EncodingChoice encoding = EncodingChoice::kDetect;
    ColumnsChoice columnsChoice = ColumnsChoice::kGuess;
    std::vector<ColumnField> columns;  ///< with kGiven
    ImportSettings settings;
    bool strict = false;  ///< the first question that cannot be used refuses the file
    std::filesystem::path mediaFolder;
};

/// A question file as read, and what became of each of its rows.
struct QuestionImport {
    std::optional<ImportFormat> format;  ///< nothing when it cannot be told
    TextEncoding encoding = TextEncoding::kUtf8;
    /// With kDetect, a file that is not UTF-8: where, with the note that it was read as
    /// Windows-1252.
    std::optional<Problem> notUtf8;
    // CSV only.
    char separator = ',';
    bool header = false;
    std::vector<std::string> columnNames;  ///< the header's cells, or empty names by position
    std::vector<ColumnField> columns;
    /// Why the columns give no question (a field without a column); the result is empty then.
    std::optional<std::string> columnsProblem;

    ImportResult result;  ///< questions kept; problems are the questions skipped, with reasons
    std::size_t emptyRows = 0;
    /// Everything said about the rows in file order: "... (skipped)", "an empty row, skipped",
    /// "warning: ...".
    std::vector<Problem> notes;
    /// With strict, the problem that refused the file.
    std::optional<Problem> refusal;

    /// Nothing can be imported: the file is unreadable, refused, or gives no usable question.
    bool usable() const {
        return format && !result.fatal && !refusal && !columnsProblem && result.usable() > 0;
    }
};

/// Reads a question file's bytes as `options` say. `name` tells the format by its extension.
QuestionImport importQuestions(std::string_view bytes, const std::filesystem::path& name,
                               const QuestionImportOptions& options);

/// Holds questions read to the rules of check, media looked up in `mediaFolder`: a row with
/// nothing in it is dropped, a question the game cannot ask as meant is skipped, anything else
/// is a warning. Gives the notes in file order, with the reader's own skips; with `strict`,
/// stops at the first question skipped and sets `refusal`.
std::vector<Problem> screenQuestions(ImportResult& result, const std::filesystem::path& mediaFolder,
                                     bool strict, std::optional<Problem>& refusal,
                                     std::size_t* emptyRows = nullptr);

/// The separator a spreadsheet expects between fields where `decimalPoint` is the locale's
/// decimal separator: ';' where the decimal separator is a comma, ',' elsewhere.
char spreadsheetSeparator(std::string_view decimalPoint);

}  // namespace vexlor::authoring
