#include "authoring/question_file.h"

#include "authoring/question_csv.h"
#include "text/i18n.h"

namespace vexlor::authoring {

EncodingChoice encodingChoice(std::optional<std::string_view> name) {
    return name && encodingNamed(*name) == TextEncoding::kWindows1252 ? EncodingChoice::kWindows1252
                                                                      : EncodingChoice::kUtf8;
}

bool namesHeader(const Problem& fault) {
    // Every fault of the header shows the header it must have, in any language.
    std::string header = questionCsvHeader();
    header.resize(header.size() - 2);  // the line end
    return fault.line == 1 && fault.message.find(header) != std::string::npos;
}

std::optional<QuestionFile> readQuestionFile(const std::string& file,
                                             const QuestionImportOptions& options,
                                             const QuestionFileHints& hints,
                                             std::vector<std::string>& report) {
    auto text = readImportFile(file);
    if (!text) {
        report.push_back(text.error().what());
        return std::nullopt;
    }
    QuestionImport read = importQuestions(*text, file, options);
    if (!read.format) {
        report.push_back(i18n::fill(i18n::tx("%1: cannot tell its format"), {file}) + hints.format);
        return std::nullopt;
    }
    if (read.result.fatal) {
        std::string line = read.result.fatal->describe(file);
        if (options.columnsChoice == ColumnsChoice::kModuleHeader &&
            namesHeader(*read.result.fatal))
            line += hints.columnsNamed;
        report.push_back(std::move(line));
        return std::nullopt;
    }
    if (read.columnsProblem) {
        report.push_back(file + ": " + *read.columnsProblem + hints.columnsList);
        return std::nullopt;
    }
    if (read.refusal) {
        report.push_back(read.refusal->describe(file));
        report.push_back(i18n::fill(i18n::tx("%1: refused as a whole"), {file}) + hints.strict);
        return std::nullopt;
    }
    for (const Problem& note : read.notes) report.push_back(note.describe(file));
    const ImportResult& result = read.result;
    if (read.emptyRows > kMaxKeptProblems)
        // English says "rows" even of one, as it always has.
        report.push_back(
            i18n::fill(i18n::txn("%1: %2 more empty rows skipped", "%1: %2 more empty rows skipped",
                                 read.emptyRows - kMaxKeptProblems),
                       {file, std::to_string(read.emptyRows - kMaxKeptProblems)}));
    if (result.problemsNotKept > 0)
        report.push_back(
            i18n::fill(i18n::txn("%1: %2 more questions skipped", "%1: %2 more questions skipped",
                                 result.problemsNotKept),
                       {file, std::to_string(result.problemsNotKept)}));
    if (result.questions.empty()) {
        report.push_back(i18n::fill(i18n::tx("%1: no question in it can be used"), {file}));
        return std::nullopt;
    }
    return QuestionFile{*read.format, std::move(read.result)};
}

std::string skippedNote(const ImportResult& result) {
    if (result.skipped() == 0) return "";
    // TRANSLATORS: after the count of questions imported; %1 counts the questions left out.
    return " " + i18n::fill(i18n::txn("(%1 skipped)", "(%1 skipped)", result.skipped()),
                            {std::to_string(result.skipped())});
}

}  // namespace vexlor::authoring
