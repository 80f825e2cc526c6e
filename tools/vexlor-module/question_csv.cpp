#include "vexlor-module/question_csv.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "vexlor-module/csv.h"
#include "vexlor-module/import.h"

namespace vexlor::authoring {

namespace {

// The header as it must be written: every column, or every column but the last (Audio).
std::string headerText() {
    std::string text;
    for (std::string_view column : kQuestionColumns)
        text += std::string(text.empty() ? "" : ",") + std::string(column);
    return text;
}

Failure at(const std::string& name, int line, const std::string& why) {
    return Failure{name + ":" + std::to_string(line) + ": " + why};
}

std::optional<std::string> headerProblem(const CsvRecord& header) {
    const std::size_t full = kQuestionColumns.size();
    for (std::size_t i = 0; i < header.fields.size() && i < full; ++i) {
        if (header.fields[i] != kQuestionColumns[i])
            return "header column " + std::to_string(i + 1) + " is \"" + header.fields[i] +
                   "\" instead of \"" + std::string(kQuestionColumns[i]) + "\"";
    }
    if (header.width() > full)
        return "the header has " + std::to_string(header.width()) + " columns, at most " +
               std::to_string(full) + " are known";
    if (header.width() < full - 1)
        return "the header lacks the column " + std::string(kQuestionColumns[header.width()]);
    return std::nullopt;
}

}  // namespace

Result<std::vector<Question>> parseQuestionsCsv(std::string_view text, const std::string& name,
                                                std::vector<int>* lines) {
    // Records are read one at a time and no record keeps more fields than a question has, so a
    // file of nothing but commas or line breaks costs no more than its own size.
    CsvReader reader(text, kQuestionColumns.size() + 1);
    CsvRecord header;
    if (!reader.next(header)) {
        if (reader.error()) return at(name, reader.error()->line, reader.error()->message);
        return at(name, 1, "the file is empty; it must start with the header " + headerText());
    }
    if (auto problem = headerProblem(header))
        return at(name, header.line,
                  *problem + "; the header must be " + headerText() + " (Audio may be left out)");

    const std::size_t width = header.width();
    std::vector<Question> questions;
    for (CsvRecord record; reader.next(record);) {
        if (record.width() != width) {
            const bool blank = record.width() == 1 && record.fields[0].empty();
            return at(
                name, record.line,
                (blank ? std::string("empty line") : std::to_string(record.width()) + " fields") +
                    ", expected " + std::to_string(width) + " as in the header");
        }
        Question question = Question::fromFields(record.fields);
        // Anything else is left to check, but a module would store this one as nothing.
        if (auto why = importing::tooLarge(question)) return at(name, record.line, *why);
        questions.push_back(std::move(question));
        if (lines != nullptr) lines->push_back(record.line);
    }
    if (reader.error()) return at(name, reader.error()->line, reader.error()->message);
    return questions;
}

Result<std::vector<Question>> readQuestionsCsv(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return Failure{name + ": no such file"};
    if (std::filesystem::is_directory(path, error)) return Failure{name + ": is a folder"};
    std::ifstream in(path, std::ios::binary);
    if (!in) return Failure{name + ": cannot be read"};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return Failure{name + ": cannot be read"};
    return parseQuestionsCsv(text, name);
}

std::string questionsCsv(const std::vector<Question>& questions) {
    std::string out;
    appendCsvRecord(out, {kQuestionColumns.begin(), kQuestionColumns.end()});
    for (const Question& question : questions) appendCsvRecord(out, question.fields());
    return out;
}

}  // namespace vexlor::authoring
