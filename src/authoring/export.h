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
/// Aiken has no escapes: a line break inside an answer is written as a blank (options are one
/// line each), blank lines of a question are dropped, and a line of a question that would read
/// as an option or the answer is joined to the line before.
std::string aikenQuestions(const std::vector<Question>& questions);
/// GIFT: "::Qn:: question {=right ~wrong ~wrong ~wrong}" with GIFT's special characters and
/// line breaks escaped; an answer that would read as a weight or a matching pair is written
/// with an explicit weight. GIFT has no points and no media.
std::string giftQuestions(const std::vector<Question>& questions);
/// An Open Trivia DB response ({"response_code":0,"results":[...]}) of "multiple" questions,
/// texts with HTML's reserved characters as character references, as the site sends them. The
/// difficulty is the one whose points `settings` gives for the question's points, and left
/// out when none does (a reader then gives its default points). No media.
std::string openTdbQuestions(const std::vector<Question>& questions,
                             const ImportSettings& settings = {});

/// The questions in `format`: CSV as questionsCsv writes it, or one of the above.
std::string exportQuestions(ImportFormat format, const std::vector<Question>& questions,
                            const ImportSettings& settings = {});

}  // namespace vexlor::authoring
