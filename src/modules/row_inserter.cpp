#include "modules/row_inserter.h"

#include <sqlite3.h>

#include <algorithm>

#include "modules/engine.h"
#include "text/i18n.h"

namespace vexlor::modules {

namespace {

// The engine takes at most 999 parameters in a statement; longer statements gain nothing.
constexpr std::size_t kMaxParameters = 999;
constexpr std::size_t kMaxRows = 200;

}  // namespace

RowInserter::RowInserter(ModuleDatabase& database, const TableFormat& table)
    : database_(database),
      table_(table),
      perStatement_(std::min(kMaxRows, kMaxParameters / table.columns.size())) {
    held_.reserve(perStatement_ * table.columns.size());
}

RowInserter::~RowInserter() {
    sqlite3_finalize(full_);
}

sqlite3_stmt* RowInserter::prepare(std::size_t rows) {
    std::string sql =
        "INSERT INTO " + ModuleDatabase::quoteIdentifier(std::string(table_.name)) + " (";
    std::string row = "(";
    for (std::size_t i = 0; i < table_.columns.size(); ++i) {
        sql += (i ? ", " : "") + ModuleDatabase::quoteIdentifier(std::string(table_.columns[i]));
        row += i ? ", ?" : "?";
    }
    sql += ") VALUES ";
    row += ")";
    for (std::size_t i = 0; i < rows; ++i) sql += i ? ", " + row : row;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database_.handle(), sql.c_str(), static_cast<int>(sql.size()),
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return statement;
}

Status RowInserter::add(std::span<const Cell> cells) {
    if (cells.size() != table_.columns.size())
        return Error(i18n::fill(
            i18n::tx("a row of %1 has %2 fields instead of %3"),
            {table_.name, std::to_string(cells.size()), std::to_string(table_.columns.size())}));
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i] && cells[i]->size() > static_cast<std::size_t>(kMaxTextBytes))
            // TRANSLATORS: %1 a column's name, %2 a table's name, %3 a number of bytes, %4 of
            // MiB.
            return Error(
                i18n::fill(i18n::tx("a %1 field of %2 holds %3 bytes; a module's field "
                                    "holds at most %4 MiB, and nothing is cut"),
                           {table_.columns[i], table_.name, std::to_string(cells[i]->size()),
                            std::to_string(kMaxTextBytes / (1024 * 1024))}));
    held_.insert(held_.end(), cells.begin(), cells.end());
    if (held_.size() < perStatement_ * table_.columns.size()) return Status::success();
    if (!full_ && !(full_ = prepare(perStatement_))) return engine::lastError(database_.handle());
    return flush(full_, perStatement_);
}

Status RowInserter::flush(sqlite3_stmt* statement, std::size_t rows) {
    for (std::size_t i = 0; i < rows * table_.columns.size(); ++i) {
        const int place = static_cast<int>(i + 1);
        const int bound = held_[i]
                              ? sqlite3_bind_text(statement, place, held_[i]->data(),
                                                  static_cast<int>(held_[i]->size()), SQLITE_STATIC)
                              : sqlite3_bind_null(statement, place);
        if (bound != SQLITE_OK) return engine::lastError(database_.handle());
    }
    const int stepped = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    held_.clear();
    if (stepped != SQLITE_DONE) return engine::lastError(database_.handle());
    return Status::success();
}

Status RowInserter::finish() {
    const std::size_t rows = held_.size() / table_.columns.size();
    if (rows == 0) return Status::success();
    sqlite3_stmt* last = prepare(rows);
    if (!last) return engine::lastError(database_.handle());
    Status done = flush(last, rows);
    sqlite3_finalize(last);
    return done;
}

}  // namespace vexlor::modules
