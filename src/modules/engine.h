#pragma once

// What the store's files share about the database engine: its errors as sentences a user can
// act on, and a prepared statement with its text parameters bound.

#include <sqlite3.h>

#include <string>
#include <vector>

#include "modules/module_database.h"
#include "text/i18n.h"

namespace vexlor::modules::engine {

/// A sentence for the engine's last error, naming what a user can act on.
std::string describe(sqlite3* db);
/// The kind of failure an engine result code means; `otherwise` for codes with no kind of
/// their own.
ErrorKind kindOf(int code, ErrorKind otherwise = ErrorKind::kFailed);
/// The engine's last error as an error of ours.
Error lastError(sqlite3* db, ErrorKind otherwise = ErrorKind::kFailed);

/// A statement prepared with its text parameters bound; a text over kMaxTextBytes is refused,
/// never bound as NULL.
class Statement {
  public:
    Statement(sqlite3* db, const std::string& sql, const std::vector<std::string>& parameters) {
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
            SQLITE_OK) {
            status_ = lastError(db);
            return;
        }
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            // A text over the length limit would be bound as NULL and stored as such: refused.
            if (parameters[i].size() > static_cast<std::size_t>(kMaxTextBytes) ||
                sqlite3_bind_text(stmt_, static_cast<int>(i + 1), parameters[i].data(),
                                  static_cast<int>(parameters[i].size()),
                                  SQLITE_TRANSIENT) != SQLITE_OK) {
                status_ = parameters[i].size() > static_cast<std::size_t>(kMaxTextBytes)
                              ? Error(i18n::fill(
                                    i18n::tx("a text is longer than the %1 MiB a module field "
                                             "may hold"),
                                    {std::to_string(kMaxTextBytes / (1024 * 1024))}))
                              : lastError(db);
                return;
            }
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    /// Whether it was prepared and bound, and why not.
    const Status& status() const { return status_; }
    sqlite3_stmt* get() const { return stmt_; }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    Status status_ = Status::success();
};

}  // namespace vexlor::modules::engine
