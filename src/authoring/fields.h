#pragma once

// The fields of a question and of a module's properties, by name, for edits that change one.

#include <string>

#include "authoring/module_check.h"
#include "authoring/module_file.h"

namespace vexlor::authoring {

/// The properties, in kPropertyColumns order.
enum class PropertyField { kTitle, kAuthor, kCompany, kYear };

std::string& fieldOf(Question& question, QuestionField field);
const std::string& fieldOf(const Question& question, QuestionField field);
std::string& fieldOf(Properties& properties, PropertyField field);
const std::string& fieldOf(const Properties& properties, PropertyField field);

}  // namespace vexlor::authoring
