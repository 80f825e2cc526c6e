#pragma once

// The module's values as the authoring tools speak of them: the module store's own types, and the
// store itself under the name the tools have always used for an open module file.

#include "modules/module_format.h"
#include "modules/module_store.h"
#include "rules/questions.h"

namespace vexlor::authoring {

using ModuleFile = modules::ModuleStore;
using modules::buildNewModule;
using modules::ChangeStamp;
using modules::ChangesWritten;
using modules::kQuestionColumns;
using modules::ModuleChanges;
using modules::ModuleSnapshot;
using modules::Properties;
using modules::Question;
using modules::removeStaleTemporaries;
using modules::renumberAsked;
using modules::ScoreEntry;
using modules::StoredQuestion;
using modules::StoredScore;
using modules::writeModule;
using rules::kMaxQuestions;

}  // namespace vexlor::authoring
