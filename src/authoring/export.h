#pragma once

// Questions written in the formats the import readers read. Each question written is read
// back at once, so an export says exactly what of each question it could not keep.

#include <cstddef>
#include <string>
#include <vector>

#include "authoring/import.h"
#include "authoring/module_file.h"

namespace vexlor::authoring {

/// What an export could not keep of one question.
struct ExportLoss {
    std::size_t question = 0;  ///< its place among the questions given, counted from 0
    std::string message;       ///< what reads back otherwise, or why it is left out
    bool leftOut = false;      ///< the format cannot hold it: the question is not written at all
};

struct ExportResult {
    std::string text;
    std::vector<ExportLoss> losses;  ///< at most one per question, in question order
    std::size_t written = 0;         ///< questions in the text
};

/// The questions in `format`, which its reader reads back, with `settings`, to the same
/// questions but for the losses listed: every question is either kept, kept with the losses
/// said, or left out with the reason said.
///
/// CSV: questionsCsv's layout; it keeps everything. Aiken: the question, "A. " to "D. " with
/// the right answer first, "ANSWER: A"; it has no escapes, no points and no media (a reader
/// gives each question the points it is told). GIFT: "::Qn:: question {=right ~wrong ~wrong
/// ~wrong}" with its special characters escaped; no points and no media. Open Trivia DB: a
/// response of "multiple" questions, texts with HTML's reserved characters as references; the
/// difficulty is the one whose points `settings` gives, none otherwise; no media.
///
/// A text that is not UTF-8 is written with its other bytes read as Windows-1252.
ExportResult exportQuestions(ImportFormat format, const std::vector<Question>& questions,
                             const ImportSettings& settings = {});

/// CSV as a spreadsheet opens it without asking: UTF-8 after a byte-order mark (without one, a
/// common spreadsheet reads the file in a single-byte code page), fields separated by
/// `separator`, ';' where the user's numbers have a decimal comma (see spreadsheetSeparator).
ExportResult exportSpreadsheetCsv(const std::vector<Question>& questions, char separator);

}  // namespace vexlor::authoring
