#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/module_file.h"
#include "base/result.h"

namespace vexlor::authoring {

/// Questions from CSV text whose header is the question columns, with or without Audio. Errors
/// read "NAME:LINE: why", LINE being where the faulty record starts. `lines`, when given, gets
/// the line each kept question starts on. With `notKept`, questions past kMaxQuestions are read
/// and checked but only counted there, so memory stays bounded.
Result<std::vector<Question>> parseQuestionsCsv(std::string_view text, const std::string& name,
                                                std::vector<int>* lines = nullptr,
                                                std::size_t* notKept = nullptr);

/// Questions as CSV with the full header and CRLF line ends, which parseQuestionsCsv reads back
/// to the same questions.
std::string questionsCsv(const std::vector<Question>& questions);

}  // namespace vexlor::authoring
