#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "modules/module_database.h"
#include "modules/module_format.h"

struct sqlite3_stmt;

namespace vexlor::modules {

/// A field as stored: a text, or NULL.
using Cell = std::optional<std::string>;

/// Inserts rows of texts and NULLs into one of a module's tables, in the order given (so the row
/// ids keep it), many rows to a statement prepared once: a million rows take a second, not a
/// minute. Use inside a transaction.
class RowInserter {
  public:
    RowInserter(ModuleDatabase& database, const TableFormat& table);
    ~RowInserter();
    RowInserter(const RowInserter&) = delete;
    RowInserter& operator=(const RowInserter&) = delete;

    /// Adds a row of the table's width. A text over the store's limit is refused, never cut.
    Status add(std::span<const Cell> cells);
    /// Writes the rows still held. Must be called once, after the last add.
    Status finish();

  private:
    Status flush(sqlite3_stmt* statement, std::size_t rows);
    sqlite3_stmt* prepare(std::size_t rows);

    ModuleDatabase& database_;
    const TableFormat& table_;
    std::size_t perStatement_;
    sqlite3_stmt* full_ = nullptr;  ///< for perStatement_ rows
    std::vector<Cell> held_;
};

}  // namespace vexlor::modules
