#pragma once

// Modules kept in another stored form (the earlier Jet format) brought into a module file of
// ours, row by row, and read as they stand for the tool's info, check and export.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "authoring/module_file.h"
#include "base/result.h"
#include "modules/row_inserter.h"

namespace vexlor::authoring {

using modules::Cell;

/// A module in another stored form, read a table at a time.
class ModuleSource {
  public:
    virtual ~ModuleSource() = default;
    /// Gives `row` every row of the table, in the order stored, with the table's columns in
    /// their order (a NULL as nothing); stops at the first failure, of the source or of `row`.
    /// A missing table or column is a failure.
    virtual Status readRows(const modules::TableFormat& table,
                            const std::function<Status(std::span<const Cell>)>& row) = 0;
};

/// How many rows a conversion wrote.
struct Converted {
    std::int64_t questions = 0;
    std::int64_t properties = 0;
    std::int64_t asked = 0;
    std::int64_t scores = 0;
};

/// Writes a new module at `out` with every row of the source's four tables in their order, its
/// texts as they are and its NULLs as NULLs, and the indexes create gives. Refused when the
/// first properties row has no title (kNotAModule: the game would refuse the module), when
/// there are more questions than the game counts, or when a text is longer than a module holds:
/// nothing is cut. The module is built under a temporary name beside `out` and moved into place
/// only when complete, never over an existing file unless `replace`.
Result<Converted> writeConverted(const std::filesystem::path& out, ModuleSource& source,
                                 bool replace);

/// A source's module as the tool shows and checks it: NULLs read as empty texts, as the game
/// reads them.
struct SourceContent {
    std::vector<Properties> properties;
    std::vector<Question> questions;
    std::int64_t asked = 0;
    std::int64_t scores = 0;
};

/// Reads the properties and the questions (no more than the game counts) and counts the rest.
Result<SourceContent> readSource(ModuleSource& source);

}  // namespace vexlor::authoring
