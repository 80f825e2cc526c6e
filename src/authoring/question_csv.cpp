#include "authoring/question_csv.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "authoring/csv.h"
#include "authoring/import.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

// The header as it must be written: every column, or every column but the last (Audio).
std::string headerText() {
    std::string text;
    for (std::string_view column : kQuestionColumns)
        text += std::string(text.empty() ? "" : ",") + std::string(column);
    return text;
}

using i18n::fill;
using i18n::tx;
using i18n::txn;

Error at(const std::string& name, int line, const std::string& why) {
    return Error(ErrorKind::kFailed, why, name, line);
}

constexpr std::size_t kMaxCsvFields = 64;

// Spreadsheets write the header of the columns they show: in any letter case, and with empty
// columns after the last that holds anything. Those are dropped.
std::size_t headerWidth(const CsvRecord& header) {
    std::size_t width = header.width();
    if (header.fieldsNotKept > 0) return width;
    while (width > 1 && header.fields[width - 1].empty()) --width;
    return width;
}

std::optional<std::string> headerProblem(const CsvRecord& header) {
    const std::size_t full = kQuestionColumns.size();
    const std::size_t width = headerWidth(header);
    for (std::size_t i = 0; i < width && i < header.fields.size() && i < full; ++i) {
        if (!text::equalsIgnoringCase(header.fields[i], kQuestionColumns[i]))
            // TRANSLATORS: %1 is a column's number, %2 what the file has, %3 the column's
            // name the file must have (not translated).
            return fill(tx("header column %1 is \"%2\" instead of \"%3\""),
                        {std::to_string(i + 1), header.fields[i], kQuestionColumns[i]});
    }
    if (width > full)
        return fill(txn("the header has %1 columns, at most %2 are known",
                        "the header has %1 columns, at most %2 are known", width),
                    {std::to_string(width), std::to_string(full)});
    if (width < full - 1)
        return fill(tx("the header lacks the column %1"), {kQuestionColumns[width]});
    return std::nullopt;
}

// Spreadsheets set to a language that writes decimal commas separate fields with ';'. The
// header tells which: it is read with each separator, and the one that gives the question
// columns wins; when neither does, the one that gives more columns is blamed.
char separatorOf(std::string_view text) {
    std::size_t widest = 0;
    char widestSeparator = ',';
    for (char separator : {',', ';'}) {
        CsvReader reader(text, kMaxCsvFields, separator);
        CsvRecord header;
        if (!reader.next(header)) continue;
        if (!headerProblem(header)) return separator;
        if (header.width() > widest) {
            widest = header.width();
            widestSeparator = separator;
        }
    }
    return widestSeparator;
}

// What a spreadsheet would run as a formula, and so is written after an apostrophe.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

// "-5", "+3", "2.5": a spreadsheet reads these as numbers, never as formulas.
bool isNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return digits(whole) && digits(fraction);
}

std::string forSpreadsheets(const std::string& field) {
    if (field.empty()) return field;
    const bool formula = kFormulaStarts.find(field.front()) != std::string_view::npos;
    if (field.front() == '\'' || (formula && !isNumber(field))) return "'" + field;
    return field;
}

}  // namespace

// Undoes forSpreadsheets: an apostrophe is dropped only before what it could have guarded.
void fromSpreadsheetCell(std::string& field) {
    if (field.size() >= 2 && field.front() == '\'' &&
        (field[1] == '\'' || kFormulaStarts.find(field[1]) != std::string_view::npos))
        field.erase(0, 1);
}

Result<std::vector<Question>> parseQuestionsCsv(std::string_view text, const std::string& name,
                                                std::vector<int>* lines, std::size_t* notKept) {
    // Records are read one at a time and no record keeps more than a few dozen fields (room
    // for a spreadsheet's empty columns), so a file of nothing but commas or line breaks costs
    // no more than its own size.
    CsvReader reader(text, kMaxCsvFields, separatorOf(text));
    CsvRecord header;
    if (!reader.next(header)) {
        if (reader.error()) return reader.error()->about(name);
        // TRANSLATORS: %1 is the header line the file must have, not translated.
        return at(name, 1,
                  fill(tx("the file is empty; it must start with the header %1"), {headerText()}));
    }
    if (auto problem = headerProblem(header))
        return at(name, header.line,
                  // TRANSLATORS: %1 is what is wrong with the header, %2 the header line the
                  // file must have (not translated); Audio is the name of its last column.
                  fill(tx("%1; the header must be %2 (Audio may be left out)"),
                       {*problem, headerText()}));

    const std::size_t width = headerWidth(header);
    std::vector<Question> questions;
    for (CsvRecord record; reader.next(record);) {
        // Rows as long as the header with its empty columns are as long as the questions' own.
        if (record.width() == header.width() && record.fieldsNotKept == 0)
            while (record.fields.size() > width && record.fields.back().empty())
                record.fields.pop_back();
        if (record.width() != width) {
            const bool blank = record.width() == 1 && record.fields[0].empty();
            // English says "fields" even of one, as it always has.
            const std::string found =
                blank
                    ? fill(tx("empty line, expected %1 as in the header"), {std::to_string(width)})
                    : fill(txn("%1 fields, expected %2 as in the header",
                               "%1 fields, expected %2 as in the header", record.width()),
                           {std::to_string(record.width()), std::to_string(width)});
            return at(name, record.line, found);
        }
        for (std::string& field : record.fields) fromSpreadsheetCell(field);
        Question question = Question::fromFields(record.fields);
        // Anything else is left to check, but a module would store this one as nothing.
        if (auto why = importing::tooLarge(question)) return at(name, record.line, *why);
        if (notKept && questions.size() >= static_cast<std::size_t>(kMaxQuestions)) {
            ++*notKept;
            continue;
        }
        questions.push_back(std::move(question));
        if (lines != nullptr) lines->push_back(record.line);
    }
    if (reader.error()) return reader.error()->about(name);
    return questions;
}

std::string questionCsvHeader(char separator) {
    std::string out;
    appendCsvRecord(out, {kQuestionColumns.begin(), kQuestionColumns.end()}, separator);
    return out;
}

std::string questionCsvRecord(const Question& question, char separator) {
    std::vector<std::string> fields = question.fields();
    for (std::string& field : fields) field = forSpreadsheets(field);
    std::string out;
    appendCsvRecord(out, fields, separator);
    return out;
}

std::string questionsCsv(const std::vector<Question>& questions) {
    std::string out = questionCsvHeader();
    for (const Question& question : questions) out += questionCsvRecord(question);
    return out;
}

}  // namespace vexlor::authoring
