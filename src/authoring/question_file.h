#pragma once

// A question file read to be added to a module, as the tool and the editor both read it: the
// encoding asked for, the questions screened, and everything said about the file as lines for
// the user, in file order.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/import.h"
#include "authoring/question_import.h"

namespace vexlor::authoring {

/// What the user could ask for instead when a file cannot be used, each put right after the
/// reason; empty where the front end has nothing to offer.
struct QuestionFileHints {
    std::string format;        ///< after "cannot tell its format"
    std::string columnsNamed;  ///< after a fault in the module's own header
    std::string columnsList;   ///< after columns that give no question
    std::string strict;        ///< after "refused as a whole"
};

/// A question file with questions to add.
struct QuestionFile {
    ImportFormat format;
    ImportResult result;
};

/// The encoding a name (as encodingNamed reads it) asks for: Windows-1252, or UTF-8 for every
/// other name and when none is given.
EncodingChoice encodingChoice(std::optional<std::string_view> name);

/// Whether a file's fault is in its first line's column names, so that naming the columns
/// another way could help.
bool namesHeader(const Problem& fault);

/// Reads the question file `file` as `options` say and screens its questions. Adds to `report`
/// each question skipped or doubtful and the counts past those kept, one line each; when nothing
/// in the file can be used, adds why and gives nothing.
std::optional<QuestionFile> readQuestionFile(const std::string& file,
                                             const QuestionImportOptions& options,
                                             const QuestionFileHints& hints,
                                             std::vector<std::string>& report);

/// " (3 skipped)", or nothing when no question was skipped.
std::string skippedNote(const ImportResult& result);

}  // namespace vexlor::authoring
