#pragma once

// The module's values as the authoring tools speak of them: the module store and its own types.

#include "modules/module_format.h"
#include "modules/module_store.h"
#include "rules/questions.h"

namespace vexlor::authoring {

using modules::buildNewModule;
using modules::ChangeStamp;
using modules::ChangesWritten;
using modules::kQuestionColumns;
using modules::ModuleChanges;
using modules::ModuleSnapshot;
using modules::ModuleStore;
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
