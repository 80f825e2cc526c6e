#pragma once

// Question banks in the formats teachers and quiz sites already keep, read into questions and
// a list of what could not be used, each with its place in the file.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/module_file.h"
#include "authoring/problem.h"
#include "base/result.h"

namespace vexlor::authoring {

enum class ImportFormat { kCsv, kAiken, kGift, kOpenTdb };

/// Larger files are refused before they are read, so memory stays bounded.
inline constexpr std::uintmax_t kMaxImportBytes = 64u * 1024 * 1024;
/// JSON nested deeper than this is refused before it is parsed.
inline constexpr int kMaxJsonDepth = 32;
/// A module stores a question as one row, and refuses rows longer than 16 MiB; this leaves room
/// for the row's own header of a few bytes per column.
inline constexpr std::size_t kMaxQuestionBytes = 16u * 1024 * 1024 - 1024;
/// Problems past this many are counted, not kept, so a hostile file cannot fill the memory.
inline constexpr std::size_t kMaxKeptProblems = 1000;

struct ImportSettings {
    int points = 100;  ///< for formats that carry no points
    int easyPoints = 100;
    int mediumPoints = 200;
    int hardPoints = 300;
};

struct ImportResult {
    std::vector<Question> questions;
    std::vector<Problem> places;      ///< where each question is in the file, no message
    std::vector<Problem> problems;    ///< questions skipped, in file order, the first few
    std::size_t problemsNotKept = 0;  ///< questions skipped past kMaxKeptProblems
    std::optional<Problem> fatal;     ///< set when nothing in the file is used
    std::map<std::string, std::size_t> categoryCounts;  ///< usable questions by category
    /// Usable questions past the kMaxQuestions kept: no module can take them all, and a file of
    /// millions of tiny questions must not fill the memory.
    std::size_t questionsNotKept = 0;
    /// The line of a first row that names the columns and so was not read as a question; 0 when
    /// there is none.
    int headerLine = 0;

    std::size_t usable() const { return questions.size() + questionsNotKept; }
    std::size_t skipped() const { return problems.size() + problemsNotKept; }
    void skip(Problem problem);
};

/// "csv", "aiken", "gift" or "opentdb".
std::optional<ImportFormat> formatNamed(std::string_view name);
std::string_view formatName(ImportFormat format);

/// The format a file is in, told by its extension and then by its content.
std::optional<ImportFormat> guessFormat(const std::filesystem::path& path, std::string_view text);

/// Aiken: a question, options "A." or "A)" and a line "ANSWER: X".
ImportResult readAiken(std::string_view text, const ImportSettings& settings);
/// GIFT multiple-choice questions: text, then "{=right ~wrong ~wrong ~wrong}".
ImportResult readGift(std::string_view text, const ImportSettings& settings);
/// An Open Trivia DB response object, or a plain array of its results, in any of its encodings.
ImportResult readOpenTdb(std::string_view text, const ImportSettings& settings);
/// The CSV layout of create and export; any fault refuses the whole file.
ImportResult readCsvQuestions(std::string_view text);

ImportResult readQuestions(ImportFormat format, std::string_view text,
                           const ImportSettings& settings);

/// A whole text file, refused when it is not a regular file or larger than kMaxImportBytes.
Result<std::string> readImportFile(const std::filesystem::path& path);

/// The encodings a question file may be read in.
enum class TextEncoding { kUtf8, kWindows1252 };
/// "utf-8" or "utf8"; "windows-1252", "cp1252", "latin-1", "latin1" or "iso-8859-1" (what is
/// saved as Latin-1 is nearly always Windows-1252, whose printable characters it shares); in
/// any letter case.
std::optional<TextEncoding> encodingNamed(std::string_view name);
/// Text in Windows-1252 as UTF-8: what a spreadsheet saves as plain "CSV" on Windows.
std::string utf8FromWindows1252(std::string_view text);
/// The text with its valid UTF-8 kept, each other byte read as Windows-1252, and NUL bytes
/// dropped: what a text written by another program most likely meant.
std::string repairedUtf8(std::string_view text);
/// A text as messages quote it: repaired as above, on one line, cut after 60 characters, in
/// double quotes.
std::string quotedShort(std::string_view text);

// Shared by the readers.
namespace importing {

/// The first NUL byte or byte sequence that is not UTF-8, as a fault with its line and column;
/// `readAsWindows1252` words it as a note that the text is read as Windows-1252 instead.
std::optional<Problem> encodingFault(std::string_view text, bool readAsWindows1252 = false);
/// The text without a leading byte-order mark.
std::string_view withoutByteOrderMark(std::string_view text);
/// Lines one at a time, without their line ends (LF or CRLF); a file of nothing but line
/// breaks costs no memory.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    /// The next line, or false at the end of the text.
    bool next(std::string_view& line);
    /// The number of the line `next` gave last, counted from 1.
    int number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};
std::string_view trim(std::string_view text);
/// Why the question cannot be stored in a module (its fields together over kMaxQuestionBytes),
/// if so.
std::optional<std::string> tooLarge(const Question& question);
/// Why the question cannot be played or stored (an empty text or answer, two equal answers, too
/// large), if so.
std::optional<std::string> unplayable(const Question& question);
/// Adds the question, or the problem that keeps it out, to the result.
void keep(ImportResult& result, Question question, Problem where, const std::string& category = {});
/// Text with every HTML character reference (named, decimal, hexadecimal) replaced by its
/// character; references that name no character are left as written.
std::string decodeHtmlEntities(std::string_view text);

}  // namespace importing

}  // namespace vexlor::authoring
