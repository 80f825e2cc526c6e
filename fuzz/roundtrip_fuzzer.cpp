// Questions made of any bytes, exported in one format (VEXLOR_FUZZ_FORMAT) and read back by
// that format's reader: the file must read without a fault, and each question must come back
// equal, or the export must have said what it loses (and then it must not come back equal) or
// that it left it out.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "authoring/export.h"
#include "authoring/import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace authoring = vexlor::authoring;
    FuzzedDataProvider bytes(data, size);
    const auto format = authoring::formatNamed(VEXLOR_FUZZ_FORMAT);
    const authoring::ImportSettings settings{};

    std::vector<authoring::Question> questions(bytes.ConsumeIntegralInRange<std::size_t>(1, 6));
    for (authoring::Question& question : questions) {
        // A letter before a text, when the bytes say so, makes most questions playable, so that
        // the writers' work on whole files is reached as often as their refusals.
        const bool playable = bytes.ConsumeBool();
        question.text = (playable ? "Q" : "") + bytes.ConsumeRandomLengthString(200);
        for (std::size_t i = 0; i < question.answers.size(); ++i)
            question.answers[i] = (playable ? std::string(1, static_cast<char>('A' + i)) : "") +
                                  bytes.ConsumeRandomLengthString(60);
        // Mostly points a format can keep (Open Trivia DB's difficulties), sometimes any text.
        static const char* const kPoints[] = {"100", "200", "300", "50"};
        question.points = bytes.ConsumeBool() ? bytes.ConsumeRandomLengthString(8)
                                              : kPoints[bytes.ConsumeIntegralInRange(0, 3)];
        if (bytes.ConsumeBool()) question.media = bytes.ConsumeRandomLengthString(20);
    }

    const authoring::ExportResult exported =
        authoring::exportQuestions(*format, questions, settings);
    std::vector<bool> said(questions.size()), leftOut(questions.size());
    for (const authoring::ExportLoss& loss : exported.losses) {
        if (loss.question >= questions.size() || loss.message.empty()) std::abort();
        said[loss.question] = true;
        leftOut[loss.question] = loss.leftOut;
    }
    const authoring::ImportResult back = authoring::readQuestions(*format, exported.text, settings);
    if (back.fatal || !back.problems.empty()) std::abort();
    if (back.questions.size() != exported.written) std::abort();
    std::size_t read = 0;
    for (std::size_t i = 0; i < questions.size(); ++i) {
        if (leftOut[i]) continue;
        if (read == back.questions.size()) std::abort();
        const authoring::Question& again = back.questions[read++];
        // A loss said must be a loss: a question that comes back equal was kept.
        if (said[i] != (again.fields() != questions[i].fields())) std::abort();
    }
    if (read != back.questions.size()) std::abort();
    return 0;
}
