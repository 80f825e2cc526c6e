#pragma once

// Questions written in the formats the import readers read, so exporting and importing again
// gives back the same questions.

#include <string>
#include <vector>

#include "authoring/import.h"
#include "authoring/module_file.h"

namespace vexlor::authoring {

/// Aiken: the question, "A. " to "D. " with the right answer first, "ANSWER: A", a blank line.
/// Aiken has no points and no media: a reader gives each question the points it is told.
/// A line break inside a text is written as a blank, as Aiken options are one line each.
std::string aikenQuestions(const std::vector<Question>& questions);
/// GIFT: "::Qn:: question {=right ~wrong ~wrong ~wrong}" with GIFT's special characters
/// escaped. GIFT has no points and no media.
std::string giftQuestions(const std::vector<Question>& questions);
/// An Open Trivia DB response ({"response_code":0,"results":[...]}) of "multiple" questions,
/// texts as plain UTF-8. The difficulty is the one whose points `settings` gives for the
/// question's points ("medium" when none matches).
std::string openTdbQuestions(const std::vector<Question>& questions,
                             const ImportSettings& settings = {});

/// The questions in `format`: CSV as questionsCsv writes it, or one of the above.
std::string exportQuestions(ImportFormat format, const std::vector<Question>& questions,
                            const ImportSettings& settings = {});

}  // namespace vexlor::authoring
