#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modules/transaction.h"

struct sqlite3;

namespace vexlor::modules {

/// The password every module is protected with.
inline constexpr const char* kModuleKey = "tov3ralu";

/// Why a module file could not be opened.
enum class OpenProblem {
    kNone,
    kNoFile,          ///< nothing at the path, or a link to nothing
    kNotAFile,        ///< a folder, a pipe, a device
    kNoAccess,        ///< the file cannot be read (or, for writing, written)
    kInUse,           ///< another program holds the file locked
    kNotAModule,      ///< not a database, or one with another key
    kDamaged,         ///< the key opens it, but its pages are malformed
    kNeedsRecovery,   ///< a journal of an interrupted write lies beside it (read-only opens)
    kForeignJournal,  ///< a journal or log beside it that does not belong to it
    kUnsafeLayout,    ///< views, triggers or virtual tables where the module's tables belong
};

/// How a module file is opened.
enum class Access { kReadWrite, kReadOnly };

/// A value read from or written to a module: every field is text; NULL reads as empty.
using Row = std::vector<std::string>;

/// Why the path names no readable plain file ("no such file", "a named pipe, not a module
/// file", ...), as a sentence without the file name; nothing when it does.
std::optional<std::string> unreachableFile(const std::string& path);

/// One open module file: an SQLCipher connection with the module cipher settings. Files are
/// shared: opening a file that is already open hands out the same connection, so the key is
/// derived once per file.
class ModuleDatabase {
  public:
    ModuleDatabase(const ModuleDatabase&) = delete;
    ModuleDatabase& operator=(const ModuleDatabase&) = delete;
    ~ModuleDatabase();

    /// Opens an existing file with `key` and checks that the key reads it and that the
    /// module's four table names, where present, are ordinary tables with row ids and that the
    /// file defines no trigger. Never creates; writes nothing, except that a read-write open
    /// completes an interrupted write of the file's own journal. A journal or log beside the
    /// file that is not its own is never applied: the open is refused. Connections only run what
    /// the program itself asks of a module: nothing inside a view or trigger, no recursive
    /// query, no functions beyond a few plain ones. On failure returns nothing and says why in
    /// `error` (a sentence without the file name) and `problem`.
    static std::shared_ptr<ModuleDatabase> open(const std::string& path, const std::string& key,
                                                std::string* error = nullptr,
                                                Access access = Access::kReadWrite,
                                                OpenProblem* problem = nullptr);
    /// Creates a new, empty, encrypted file (which must not exist yet).
    static std::shared_ptr<ModuleDatabase> create(const std::string& path, const std::string& key,
                                                  std::string* error = nullptr);

    /// Runs one statement with text parameters and returns its rows as text.
    std::optional<std::vector<Row>> query(const std::string& sql,
                                          const std::vector<std::string>& parameters = {},
                                          std::string* error = nullptr);
    /// Same, for statements whose rows hold one integer (rowid lists).
    std::optional<std::vector<std::int64_t>> queryIntegers(
        const std::string& sql, const std::vector<std::string>& parameters = {},
        std::string* error = nullptr);
    /// Runs statements that return nothing (several may be given, separated by ';').
    bool execute(const std::string& sql, std::string* error = nullptr);
    /// Runs one write with text parameters in a transaction of its own.
    bool write(const std::string& sql, const std::vector<std::string>& parameters,
               std::string* error = nullptr, std::int64_t* insertedRow = nullptr);

    bool hasTable(const std::string& table);
    /// The name that addresses the real row id of a table: "rowid", "_rowid_" or "oid",
    /// whichever no column of the table shadows; empty when none is free.
    std::string rowIdName(const std::string& table);
    /// The column names of a table, in table order; empty when there is no such table.
    std::vector<std::string> columns(const std::string& table);

    const std::string& path() const { return path_; }
    bool readOnly() const { return readOnly_; }
    sqlite3* handle() const { return db_; }

    /// An identifier quoted for SQL.
    static std::string quoteIdentifier(const std::string& name);

  private:
    ModuleDatabase(sqlite3* db, std::string path, bool readOnly)
        : db_(db), path_(std::move(path)), readOnly_(readOnly) {}
    sqlite3* db_;
    std::string path_;
    bool readOnly_;
};

}  // namespace vexlor::modules
