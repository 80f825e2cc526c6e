// Feeds any bytes to one question-file reader (VEXLOR_FUZZ_FORMAT; "sheet" for a spreadsheet's
// CSV as the editor reads it, encoding and columns guessed): nothing may crash, hang or grow
// without bound, every question it gives can be played and holds UTF-8 only, and every problem
// says where and why.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "authoring/csv.h"
#include "authoring/import.h"
#include "authoring/question_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace authoring = vexlor::authoring;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool sheet = std::string_view(VEXLOR_FUZZ_FORMAT) == "sheet";
    const auto format =
        sheet ? authoring::ImportFormat::kCsv : authoring::formatNamed(VEXLOR_FUZZ_FORMAT);
    authoring::ImportResult result;
    if (sheet) {
        const authoring::QuestionImport read =
            authoring::importQuestions(text, "sheet.csv", authoring::QuestionImportOptions{});
        // Screened: whatever is kept can be played.
        for (const authoring::Question& question : read.result.questions)
            if (authoring::importing::unplayable(question)) std::abort();
        result = read.result;
    } else {
        result = authoring::readQuestions(*format, text, authoring::ImportSettings{});
    }

    if (result.fatal && !result.questions.empty()) std::abort();
    for (const authoring::Question& question : result.questions) {
        // The CSV reader leaves such checks to `check`, as it always has.
        if (*format != authoring::ImportFormat::kCsv && authoring::importing::unplayable(question))
            std::abort();
        for (const std::string& field : question.fields())
            if (authoring::findInvalidUtf8(field)) std::abort();
    }
    if (result.problems.size() > authoring::kMaxKeptProblems) std::abort();
    for (const authoring::Problem& problem : result.problems)
        if (problem.message.empty() || (problem.line <= 0 && problem.place.empty())) std::abort();
    return 0;
}
