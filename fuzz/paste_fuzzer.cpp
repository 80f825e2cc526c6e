// Feeds any bytes to the paste reader as a clipboard: nothing may crash, hang or grow without
// bound, every question read can be played, every problem says where and why, and the questions
// read, copied for the clipboard and read again come back the same. The same bytes, split at
// unit separators (0x1F), are also the texts of one question, which copy then paste must give
// back whatever its texts hold: a clipboard rarely holds a question whose copy is hard to read.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/csv.h"
#include "authoring/document.h"

namespace {

namespace authoring = vexlor::authoring;

void roundTrip(const std::vector<authoring::Question>& questions) {
    const authoring::ImportResult again =
        authoring::readPastedRows(authoring::pastedRows(questions));
    if (again.fatal || !again.problems.empty() || again.questions.size() != questions.size())
        std::abort();
    for (std::size_t i = 0; i < questions.size(); ++i)
        if (again.questions[i].fields() != questions[i].fields()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const authoring::ImportResult pasted = authoring::readPastedRows(text);

    if (pasted.fatal && (!pasted.questions.empty() || !pasted.problems.empty())) std::abort();
    if (pasted.problems.size() > authoring::kMaxKeptProblems) std::abort();
    for (const authoring::Problem& problem : pasted.problems)
        if (problem.message.empty() || problem.line <= 0) std::abort();
    for (const authoring::Question& question : pasted.questions)
        if (authoring::importing::unplayable(question) ||
            authoring::importing::trim(question.points).empty())
            std::abort();
    roundTrip(pasted.questions);

    // A byte compared one at a time, so the fuzzer learns the separator.
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == '\x1F' && fields.size() < authoring::kQuestionFieldCount)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    const authoring::Question question = authoring::Question::fromFields(fields);
    // The editor holds UTF-8 only, and the reader gives blank points the default.
    if (!authoring::findInvalidUtf8(text) && !authoring::importing::unplayable(question) &&
        !authoring::importing::trim(question.points).empty())
        roundTrip({question});
    return 0;
}
