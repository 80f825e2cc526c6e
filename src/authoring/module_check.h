#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/module_file.h"
#include "authoring/problem.h"

namespace vexlor::authoring {

/// The label of a field in the editor's form ("Right answer", "Wrong answer 2"): problems name
/// fields so, as the author knows them.
std::string_view fieldLabel(QuestionField field);

/// Every rule of check for one question: missing texts, equal answers, points that are not a
/// number, media the game cannot find or will not use, texts too long for their panels. Media
/// names are looked up in `mediaFolder`.
std::vector<Problem> checkQuestion(const Question& question,
                                   const std::filesystem::path& mediaFolder);

/// The rules of check for the module as a whole: a title (the game refuses a module without
/// one), one properties row, questions, and no more than the game counts.
std::vector<Problem> checkModuleWhole(const std::vector<Properties>& propertyRows,
                                      std::size_t questionCount);

struct CheckReport {
    /// One line each, "question N (Column): ..." (the column at fault, as the file names it) or
    /// "module: ...".
    std::vector<std::string> problems;
    std::size_t questions = 0;
    std::size_t pictures = 0;
    std::size_t sounds = 0;

    bool ok() const { return problems.empty(); }
    /// "ok: 102 questions, 3 pictures, 5 sounds"
    std::string summary() const;
};

/// Looks for everything that would spoil a game: what checkQuestion finds in each question, no
/// questions or more than the game can count, and an empty title (the game refuses such a
/// module). Media names are looked up in `mediaFolder`.
CheckReport checkModule(const std::vector<Properties>& propertyRows,
                        const std::vector<Question>& questions,
                        const std::filesystem::path& mediaFolder);

}  // namespace vexlor::authoring
