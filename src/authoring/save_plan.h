#pragma once

#include <cstddef>

#include "authoring/document.h"

namespace vexlor::authoring {

// How the question rows of the file become the document's, in as few writes as can be told
// cheaply. The game numbers questions by their place in row-id order, so
//  - anchored: the longest run of questions still in their old order keeps its rows (edited
//    ones rewritten); deleted and moved questions lose theirs, and new and moved ones get rows
//    with ids between their neighbours', where there is room: before the first and after the
//    last there always is;
//  - by place: the row at each place takes the question now there, where it differs (a move
//    by one place rewrites two rows);
//  - or every row is written anew, in large statements, when that costs less.
struct Plan {
    ModuleChanges changes;
    std::size_t written = 0;
    std::size_t removed = 0;
};

// The plan for the document's rows, over the file's saved rows.
Plan planSave(const Document::State& state);

}  // namespace vexlor::authoring
