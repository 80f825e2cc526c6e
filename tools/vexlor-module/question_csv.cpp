#include "vexlor-module/question_csv.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "vexlor-module/csv.h"

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

std::optional<std::string> headerProblem(const std::vector<std::string>& header) {
    const std::size_t full = kQuestionColumns.size();
    for (std::size_t i = 0; i < header.size() && i < full; ++i) {
        if (header[i] != kQuestionColumns[i])
            return "header column " + std::to_string(i + 1) + " is \"" + header[i] +
                   "\" instead of \"" + std::string(kQuestionColumns[i]) + "\"";
    }
    if (header.size() > full)
        return "the header has " + std::to_string(header.size()) + " columns, at most " +
               std::to_string(full) + " are known";
    if (header.size() < full - 1)
        return "the header lacks the column " + std::string(kQuestionColumns[header.size()]);
    return std::nullopt;
}

}  // namespace

Result<std::vector<Question>> parseQuestionsCsv(std::string_view text, const std::string& name,
                                                std::vector<int>* lines) {
    CsvParse parsed = parseCsv(text);
    if (parsed.error) return at(name, parsed.error->line, parsed.error->message);
    if (parsed.records.empty())
        return at(name, 1, "the file is empty; it must start with the header " + headerText());

    const CsvRecord& header = parsed.records.front();
    if (auto problem = headerProblem(header.fields))
        return at(name, header.line,
                  *problem + "; the header must be " + headerText() + " (Audio may be left out)");

    const std::size_t width = header.fields.size();
    std::vector<Question> questions;
    questions.reserve(parsed.records.size() - 1);
    for (std::size_t i = 1; i < parsed.records.size(); ++i) {
        const CsvRecord& record = parsed.records[i];
        if (record.fields.size() != width) {
            const bool blank = record.fields.size() == 1 && record.fields[0].empty();
            return at(name, record.line,
                      (blank ? std::string("empty line")
                             : std::to_string(record.fields.size()) + " fields") +
                          ", expected " + std::to_string(width) + " as in the header");
        }
        questions.push_back(Question::fromFields(record.fields));
        if (lines != nullptr) lines->push_back(record.line);
    }
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
