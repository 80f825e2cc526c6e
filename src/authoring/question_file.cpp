#include "authoring/question_file.h"

namespace vexlor::authoring {

EncodingChoice encodingChoice(std::optional<std::string_view> name) {
    return name && encodingNamed(*name) == TextEncoding::kWindows1252 ? EncodingChoice::kWindows1252
                                                                      : EncodingChoice::kUtf8;
}

bool namesHeader(const Problem& fault) {
    return fault.line == 1 && fault.message.find("header") != std::string::npos;
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
        report.push_back(file + ": cannot tell its format" + hints.format);
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
        report.push_back(file + ": refused as a whole" + hints.strict);
        return std::nullopt;
    }
    for (const Problem& note : read.notes) report.push_back(note.describe(file));
    const ImportResult& result = read.result;
    if (read.emptyRows > kMaxKeptProblems)
        report.push_back(file + ": " + std::to_string(read.emptyRows - kMaxKeptProblems) +
                         " more empty rows skipped");
    if (result.problemsNotKept > 0)
        report.push_back(file + ": " + std::to_string(result.problemsNotKept) +
                         " more questions skipped");
    if (result.questions.empty()) {
        report.push_back(file + ": no question in it can be used");
        return std::nullopt;
    }
    return QuestionFile{*read.format, std::move(read.result)};
}

std::string skippedNote(const ImportResult& result) {
    if (result.skipped() == 0) return "";
    return " (" + std::to_string(result.skipped()) + " skipped)";
}

}  // namespace vexlor::authoring
