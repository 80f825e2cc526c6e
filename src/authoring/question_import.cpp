#include "authoring/question_import.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "authoring/csv.h"
#include "authoring/module_check.h"
#include "authoring/question_csv.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, kColumnFieldCount> kFieldNames = {
    "question", "right", "wrong1", "wrong2", "wrong3", "points", "media", "skip"};
// TRANSLATORS: what a column of an imported file becomes, in the editor's import window.
constexpr std::array<std::string_view, kColumnFieldCount> kFieldTitles = {
    VX_N("Question"),       VX_N("Right answer"), VX_N("Wrong answer 1"), VX_N("Wrong answer 2"),
    VX_N("Wrong answer 3"), VX_N("Points"),       VX_N("Media"),          VX_N("Not imported")};

constexpr std::size_t kMaxColumns = 64;

// The ASCII letter a Latin letter with an accent is written with, for the two-byte UTF-8
// characters U+00C0 to U+00FF; 0 for the others.
char unaccented(unsigned char second) {
    static constexpr char kBase[] =
        "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";
    const int index = second - 0x80;
    return index >= 0 && index < 64 ? kBase[index] : 0;
}

// A header cell as it is compared: lower case, without accents, punctuation as blanks, blanks
// single; a trailing number goes to `number`.
std::string folded(std::string_view cell, int& number) {
    std::string out;
    for (std::size_t i = 0; i < cell.size() && out.size() < 64; ++i) {
        auto c = static_cast<unsigned char>(cell[i]);
        if (c == 0xC3 && i + 1 < cell.size()) {
            const char base = unaccented(static_cast<unsigned char>(cell[++i]));
            if (base != 0) out += static_cast<char>(std::tolower(static_cast<unsigned char>(base)));
            continue;
        }
        if (c == 0xC5 && i + 1 < cell.size() &&
            (cell[i + 1] == '\x92' || cell[i + 1] == '\x93')) {  // Œ, œ
            out += "oe";
            ++i;
            continue;
        }
        if (std::isalnum(c)) {
            out += static_cast<char>(std::tolower(c));
        } else if (c < 0x80 && !out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    number = 0;
    std::size_t digits = out.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(out[digits - 1]))) --digits;
    if (digits < out.size() && out.size() - digits <= 2) {
        number = std::stoi(out.substr(digits));
        out.erase(digits);
        while (!out.empty() && out.back() == ' ') out.pop_back();
    }
    return out;
}

struct NamedField {
    std::string_view name;
    ColumnField field;
};

// Names spreadsheets give the columns, folded; a wrong answer stands for all three.
constexpr NamedField kNames[] = {
    {"question", ColumnField::kQuestion},
    {"questions", ColumnField::kQuestion},
    {"enonce", ColumnField::kQuestion},
    {"intitule", ColumnField::kQuestion},
    {"answer", ColumnField::kRight},
    {"right", ColumnField::kRight},
    {"right answer", ColumnField::kRight},
    {"correct", ColumnField::kRight},
    {"correct answer", ColumnField::kRight},
    {"reponse", ColumnField::kRight},
    {"bonne reponse", ColumnField::kRight},
    {"bonne", ColumnField::kRight},
    {"reponse correcte", ColumnField::kRight},
    {"reponce", ColumnField::kRight},
    {"solution", ColumnField::kRight},
    {"wrong", ColumnField::kWrong1},
    {"wrong answer", ColumnField::kWrong1},
    {"wrong answers", ColumnField::kWrong1},
    {"incorrect", ColumnField::kWrong1},
    {"incorrect answer", ColumnField::kWrong1},
    {"false", ColumnField::kWrong1},
    {"mauvaise", ColumnField::kWrong1},
    {"mauvaise reponse", ColumnField::kWrong1},
    {"mauvaises reponses", ColumnField::kWrong1},
    {"fausse reponse", ColumnField::kWrong1},
    {"points", ColumnField::kPoints},
    {"point", ColumnField::kPoints},
    {"score", ColumnField::kPoints},
    {"pts", ColumnField::kPoints},
    {"picture", ColumnField::kMedia},
    {"image", ColumnField::kMedia},
    {"sound", ColumnField::kMedia},
    {"son", ColumnField::kMedia},
    {"audio", ColumnField::kMedia},
    {"media", ColumnField::kMedia},
};

bool isWrong(ColumnField field) {
    return field == ColumnField::kWrong1 || field == ColumnField::kWrong2 ||
           field == ColumnField::kWrong3;
}

ColumnField wrongNumber(int n) {
    return static_cast<ColumnField>(static_cast<int>(ColumnField::kWrong1) + n - 1);
}

bool blank(const std::vector<std::string>& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const std::string& cell) { return importing::trim(cell).empty(); });
}

bool isNumber(std::string_view text) {
    text = importing::trim(text);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The first records of a text read with `separator`, at most `count`.
std::vector<CsvRecord> firstRecords(std::string_view text, char separator, std::size_t count) {
    std::vector<CsvRecord> records;
    CsvReader reader(text, kMaxColumns, separator);
    for (CsvRecord record; records.size() < count && reader.next(record);)
        if (!blank(record.fields)) records.push_back(record);
    return records;
}

// A spreadsheet writes ',', ';' or a tab. The separator whose first row names the most columns
// wins; without names, the one that cuts the first rows into as many cells each, the most.
char separatorOf(std::string_view text) {
    char best = ',';
    long bestScore = -1;
    for (char separator : {',', ';', '\t'}) {
        const auto records = firstRecords(text, separator, 8);
        if (records.empty()) continue;
        long named = 0;
        for (const std::string& cell : records.front().fields)
            named += guessColumnField(cell).has_value();
        const std::size_t width = records.front().width();
        const bool even = std::all_of(records.begin(), records.end(),
                                      [&](const CsvRecord& r) { return r.width() == width; });
        const long score = named * 1000 + (even && width > 1 ? 100 : 0) +
                           static_cast<long>(std::min<std::size_t>(width, 99));
        if (score > bestScore) {
            bestScore = score;
            best = separator;
        }
    }
    return best;
}

// CSV with the columns guessed or given: empty rows and rows whose cells are too few are told,
// not fatal; only a record the CSV reader cannot read refuses the file.
void readMappedCsv(std::string_view text, const QuestionImportOptions& options,
                   QuestionImport& out) {
    text = importing::withoutByteOrderMark(text);
    out.separator = separatorOf(text);
    CsvReader reader(text, kMaxColumns, out.separator);
    CsvRecord first;
    while (reader.next(first) && blank(first.fields)) {
    }
    if (first.fields.empty() || blank(first.fields)) {
        if (reader.error())
            out.result.fatal = Problem::atLine(reader.error()->line(), reader.error()->message());
        else
            out.result.fatal = Problem::atLine(0, i18n::tx("the file holds no rows"));
        return;
    }
    std::vector<CsvRecord> pending;
    if (options.columnsChoice == ColumnsChoice::kGiven) {
        out.columns = options.columns;
        out.header = looksLikeHeader(first.fields);
        // A header in a language not guessed shows as Points that are no number above a row
        // whose Points are one.
        const auto points = std::find(out.columns.begin(), out.columns.end(), ColumnField::kPoints);
        CsvRecord second;
        if (!out.header && points != out.columns.end() && reader.next(second)) {
            const auto at = static_cast<std::size_t>(points - out.columns.begin());
            out.header = at < first.fields.size() && at < second.fields.size() &&
                         !isNumber(first.fields[at]) && isNumber(second.fields[at]);
            pending.push_back(std::move(second));
        }
    } else {
        out.header = looksLikeHeader(first.fields);
        out.columns = out.header ? guessColumns(first.fields) : columnsByPosition(first.width());
    }
    if (out.header)
        out.columnNames = first.fields;
    else
        out.columnNames.assign(first.fields.size(), std::string());
    if (out.columns.size() < out.columnNames.size())
        out.columns.resize(out.columnNames.size(), ColumnField::kSkip);
    out.columnsProblem = missingColumn(out.columns);
    if (out.columnsProblem) return;
    if (!out.header) pending.insert(pending.begin(), std::move(first));

    auto take = [&](CsvRecord& record) {
        Problem where = Problem::atLine(record.line);
        if (blank(record.fields)) {
            // Counted, and told only the first few times: a file of empty rows costs no memory.
            if (out.emptyRows++ < kMaxKeptProblems) {
                where.message = i18n::tx("an empty row, skipped");
                out.notes.push_back(std::move(where));
            }
            return;
        }
        Question question;
        bool pointsGiven = false;
        for (std::size_t i = 0; i < record.fields.size() && i < out.columns.size(); ++i) {
            std::string& cell = record.fields[i];
            switch (out.columns[i]) {
                case ColumnField::kQuestion:
                    question.text = std::move(cell);
                    break;
                case ColumnField::kRight:
                    question.answers[0] = std::move(cell);
                    break;
                case ColumnField::kWrong1:
                case ColumnField::kWrong2:
                case ColumnField::kWrong3:
                    question.answers[static_cast<int>(out.columns[i]) - 1] = std::move(cell);
                    break;
                case ColumnField::kPoints:
                    question.points = std::move(cell);
                    pointsGiven = !importing::trim(question.points).empty();
                    break;
                case ColumnField::kMedia:
                    question.media = std::move(cell);
                    break;
                case ColumnField::kSkip:
                    break;
            }
        }
        if (!pointsGiven) question.points = std::to_string(options.settings.points);
        for (std::string* field : {&question.text, &question.answers[0], &question.answers[1],
                                   &question.answers[2], &question.answers[3], &question.media})
            fromSpreadsheetCell(*field);
        importing::keep(out.result, std::move(question), where);
    };
    for (CsvRecord& record : pending) take(record);
    for (CsvRecord record; reader.next(record);) take(record);
    // A record that cannot be read leaves the rows after it unknown: nothing is used.
    if (reader.error()) {
        const Problem fault = Problem::atLine(reader.error()->line(), reader.error()->message());
        out.result = ImportResult{};
        out.result.fatal = fault;
        out.notes.clear();
    }
}

}  // namespace

std::string_view columnFieldName(ColumnField field) {
    return kFieldNames[static_cast<std::size_t>(field)];
}

std::string_view columnFieldTitle(ColumnField field) {
    return kFieldTitles[static_cast<std::size_t>(field)];
}

std::optional<ColumnField> guessColumnField(std::string_view cell, int* number) {
    int n = 0;
    const std::string name = folded(cell, n);
    if (number) *number = 0;
    for (const NamedField& known : kNames) {
        if (known.name != name) continue;
        if (isWrong(known.field) && number) *number = n;
        return known.field;
    }
    return std::nullopt;
}

bool looksLikeHeader(const std::vector<std::string>& cells) {
    return std::count_if(cells.begin(), cells.end(), [](const std::string& cell) {
               return guessColumnField(cell).has_value();
           }) >= 2;
}

std::vector<ColumnField> guessColumns(const std::vector<std::string>& header) {
    std::vector<ColumnField> columns(header.size(), ColumnField::kSkip);
    std::array<bool, kColumnFieldCount> taken{};
    std::vector<std::size_t> unnumbered;
    for (std::size_t i = 0; i < header.size(); ++i) {
        int number = 0;
        const auto field = guessColumnField(header[i], &number);
        if (!field) continue;
        if (isWrong(*field)) {
            if (number < 1 || number > 3 || taken[static_cast<std::size_t>(wrongNumber(number))]) {
                unnumbered.push_back(i);
                continue;
            }
            columns[i] = wrongNumber(number);
        } else if (!taken[static_cast<std::size_t>(*field)]) {
            columns[i] = *field;
        } else {
            continue;
        }
        taken[static_cast<std::size_t>(columns[i])] = true;
    }
    for (std::size_t i : unnumbered) {
        for (int n = 1; n <= 3; ++n) {
            if (taken[static_cast<std::size_t>(wrongNumber(n))]) continue;
            columns[i] = wrongNumber(n);
            taken[static_cast<std::size_t>(columns[i])] = true;
            break;
        }
    }
    return columns;
}

std::vector<ColumnField> columnsByPosition(std::size_t width) {
    std::vector<ColumnField> columns(width, ColumnField::kSkip);
    for (std::size_t i = 0; i < width && i < kColumnFieldCount - 1; ++i)
        columns[i] = static_cast<ColumnField>(i);
    return columns;
}

Result<std::vector<ColumnField>> parseColumnList(std::string_view list) {
    std::vector<ColumnField> columns;
    std::array<bool, kColumnFieldCount> taken{};
    while (columns.size() <= kMaxColumns) {
        const std::size_t comma = list.find(',');
        std::string name(importing::trim(list.substr(0, comma)));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::optional<ColumnField> field;
        for (std::size_t i = 0; i < kFieldNames.size(); ++i)
            if (kFieldNames[i] == name) field = static_cast<ColumnField>(i);
        if (name == "wrong")
            for (int n = 3; n >= 1; --n)
                if (!taken[static_cast<std::size_t>(wrongNumber(n))]) field = wrongNumber(n);
        if (!field)
            // TRANSLATORS: --columns is the tool's option and question, right... its values:
            // none of them is translated.
            return Error{
                i18n::fill(i18n::tx("--columns: \"%1\" is no column name; use question, "
                                    "right, wrong1, wrong2, wrong3, points, media or skip"),
                           {name})};
        if (*field != ColumnField::kSkip && taken[static_cast<std::size_t>(*field)])
            return Error{
                i18n::fill(i18n::tx("--columns: %1 is given twice"), {columnFieldName(*field)})};
        taken[static_cast<std::size_t>(*field)] = true;
        columns.push_back(*field);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    if (columns.size() > kMaxColumns)
        return Error{
            i18n::fill(i18n::tx("--columns: more than %1 columns"), {std::to_string(kMaxColumns)})};
    if (auto missing = missingColumn(columns))
        return Error{i18n::fill(i18n::tx("--columns: %1"), {*missing})};
    return columns;
}

std::optional<std::string> missingColumn(const std::vector<ColumnField>& columns) {
    for (std::size_t i = 0; i <= static_cast<std::size_t>(ColumnField::kWrong3); ++i) {
        const auto field = static_cast<ColumnField>(i);
        if (std::find(columns.begin(), columns.end(), field) == columns.end())
            return i == 0   ? std::string(i18n::tx("no column holds the question"))
                   : i == 1 ? std::string(i18n::tx("no column holds the right answer"))
                            : i18n::fill(i18n::tx("no column holds the wrong answer %1"),
                                         {std::to_string(i - 1)});
    }
    return std::nullopt;
}

QuestionImport importQuestions(std::string_view bytes, const fs::path& name,
                               const QuestionImportOptions& options) {
    QuestionImport out;
    std::string converted;
    std::string_view text = bytes;
    if (options.encoding == EncodingChoice::kWindows1252) {
        out.encoding = TextEncoding::kWindows1252;
    } else if (options.encoding == EncodingChoice::kDetect) {
        // NUL bytes are no text in any encoding: the readers refuse them.
        const auto invalid = findInvalidUtf8(bytes);
        if (invalid && bytes[*invalid] != '\0') {
            out.encoding = TextEncoding::kWindows1252;
            out.notUtf8 = importing::encodingFault(bytes, true);
        }
    }
    if (out.encoding == TextEncoding::kWindows1252) {
        converted = utf8FromWindows1252(bytes);
        text = converted;
    }
    out.format = options.format ? options.format : guessFormat(name, text);
    // A spreadsheet's header of names it knows tells CSV whatever the file's name.
    if (!out.format && options.columnsChoice != ColumnsChoice::kModuleHeader) {
        const std::string_view plain = importing::withoutByteOrderMark(text);
        const auto first = firstRecords(plain, separatorOf(plain), 1);
        if (!first.empty() && looksLikeHeader(first.front().fields))
            out.format = ImportFormat::kCsv;
    }
    if (!out.format) return out;
    if (*out.format == ImportFormat::kCsv && options.columnsChoice != ColumnsChoice::kModuleHeader)
        readMappedCsv(text, options, out);
    else
        out.result = readQuestions(*out.format, text, options.settings);
    if (out.result.fatal || out.columnsProblem) return out;
    if (options.strict && !out.result.problems.empty()) {
        out.refusal = out.result.problems.front();
        return out;
    }
    std::vector<Problem> notes = screenQuestions(out.result, options.mediaFolder, options.strict,
                                                 out.refusal, &out.emptyRows);
    notes.insert(notes.end(), out.notes.begin(), out.notes.end());
    std::stable_sort(notes.begin(), notes.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    out.notes = std::move(notes);
    return out;
}

std::vector<Problem> screenQuestions(ImportResult& result, const fs::path& mediaFolder, bool strict,
                                     std::optional<Problem>& refusal, std::size_t* emptyRows) {
    std::vector<Problem> said;
    for (Problem problem : result.problems) {
        problem.message = i18n::fill(i18n::tx("%1 (skipped)"), {problem.message});
        said.push_back(std::move(problem));
    }
    std::vector<Question> kept;
    std::vector<Problem> keptPlaces;
    for (std::size_t i = 0; i < result.questions.size(); ++i) {
        Question& question = result.questions[i];
        Problem where = i < result.places.size() ? result.places[i] : Problem{};
        if (blank(question.fields())) {
            where.message = i18n::tx("an empty row, skipped");
            said.push_back(std::move(where));
            if (emptyRows) ++*emptyRows;
            continue;
        }
        std::string broken;
        std::vector<Problem> warnings;
        for (const Problem& problem : checkQuestion(question, mediaFolder)) {
            if (problem.breaksGame && !problem.mediaMissing)
                broken += (broken.empty() ? "" : "; ") + problem.message;
            else
                warnings.push_back(
                    where.saying(i18n::fill(i18n::tx("warning: %1"), {problem.message})));
        }
        if (!broken.empty()) {
            where.message = broken;
            if (strict) {
                refusal = where;
                return said;
            }
            said.push_back(where.saying(i18n::fill(i18n::tx("%1 (skipped)"), {broken})));
            result.skip(std::move(where));
            continue;
        }
        said.insert(said.end(), warnings.begin(), warnings.end());
        kept.push_back(std::move(question));
        keptPlaces.push_back(std::move(where));
    }
    result.questions = std::move(kept);
    result.places = std::move(keptPlaces);
    std::stable_sort(said.begin(), said.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    return said;
}

char spreadsheetSeparator(std::string_view decimalPoint) {
    return decimalPoint == "," ? ';' : ',';
}

}  // namespace vexlor::authoring
