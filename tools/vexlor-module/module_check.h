#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "vexlor-module/module_file.h"

namespace vexlor::authoring {

struct CheckReport {
    std::vector<std::string> problems;  ///< one line each, "question N: ..." or "module: ..."
    std::size_t questions = 0;
    std::size_t pictures = 0;
    std::size_t sounds = 0;

    bool ok() const { return problems.empty(); }
    /// "ok: 102 questions, 3 pictures, 5 sounds"
    std::string summary() const;
};

/// Looks for everything that would spoil a game: missing texts, duplicate answers, points that
/// are not numbers, media the game cannot find or will not use, no questions or more than it
/// can count, and an empty title (the game refuses such a module). Media names are looked up
/// in `mediaFolder`.
CheckReport checkModule(const std::vector<Properties>& propertyRows,
                        const std::vector<Question>& questions,
                        const std::filesystem::path& mediaFolder);

}  // namespace vexlor::authoring
