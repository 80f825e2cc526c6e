#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/module_file.h"
#include "base/result.h"

namespace vexlor::authoring {

/// Questions from CSV text whose header is the question columns, with or without Audio, fields
/// separated by ',' or ';' as the header line shows. A field starting with an apostrophe
/// followed by one of "=+-@'", a tab or a carriage return loses the apostrophe. An error
/// is about NAME at the line where the faulty record starts. `lines`, when given, gets
/// the line each kept question starts on. With `notKept`, questions past kMaxQuestions are read
/// and checked but only counted there, so memory stays bounded.
Result<std::vector<Question>> parseQuestionsCsv(std::string_view text, const std::string& name,
                                                std::vector<int>* lines = nullptr,
                                                std::size_t* notKept = nullptr);

/// Questions as CSV with the full header and CRLF line ends, which parseQuestionsCsv reads back
/// to the same questions. A spreadsheet opening it runs no formula: a text starting with "=",
/// "+", "-", "@", a tab or a carriage return gets a leading apostrophe, which spreadsheets do
/// not show and parseQuestionsCsv removes; so does a text starting with an apostrophe, so that
/// it keeps its own. A number such as -5 is written as it is, and stays a number.
std::string questionsCsv(const std::vector<Question>& questions);
/// A cell as questionsCsv wrote it, without the apostrophe that kept a spreadsheet from reading
/// it as a formula.
void fromSpreadsheetCell(std::string& field);
/// The header line of questionsCsv, with its line end.
std::string questionCsvHeader(char separator = ',');
/// One question's line (or lines) of questionsCsv.
std::string questionCsvRecord(const Question& question, char separator = ',');

}  // namespace vexlor::authoring
