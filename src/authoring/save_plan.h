#pragma once

// How a save writes the document's questions over the rows the file holds: a pure function of
// the file as last read and the document as edited, so it can be tried without a file.

#include <cstddef>
#include <optional>
#include <vector>

#include "authoring/module_file.h"

namespace vexlor::authoring {

/// A question of the document as the save sees it, in the document's order.
struct PlannedRow {
    const Question* question = nullptr;
    /// Its place among the questions of the file as last read, none for a question added since.
    std::optional<std::size_t> savedPlace;
    /// Whether its content differs from the one at its saved place.
    bool edited = false;
};

/// What a save writes, and how many questions it writes and removes.
struct SavePlan {
    ModuleChanges changes;  ///< pointing into the rows and the snapshot given
    std::size_t written = 0;
    std::size_t removed = 0;
};

/// The changes that make the questions of `base` the rows given and its properties
/// `properties`, in as few writes as can be told cheaply. The game numbers questions by their
/// place in row-id order, so
///  - anchored: the longest run of questions still in their old order keeps its rows (edited
///    ones rewritten); deleted and moved questions lose theirs, and new and moved ones get rows
///    with ids between their neighbours', where there is room: before the first and after the
///    last there always is;
///  - by place: the row at each place takes the question now there, where it differs (a move
///    by one place rewrites two rows);
///  - or every row is written anew, in large statements, when that costs less.
/// The asked list is renumbered whenever a saved question's number changes or it is gone.
SavePlan planSave(const ModuleSnapshot& base, const Properties& properties,
                  const std::vector<PlannedRow>& rows);

}  // namespace vexlor::authoring
