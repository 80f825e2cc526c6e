#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "modules/transaction.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vexlor::modules {

/// The longest text a module holds: no module needs more, and a hostile one could use more to
/// exhaust memory.
inline constexpr int kMaxTextBytes = 16 * 1024 * 1024;

/// The password every module is protected with.
inline constexpr const char* kModuleKey = "tov3ralu";

/// How a module file is opened.
enum class Access { kReadWrite, kReadOnly };

/// A value read from or written to a module: every field is text; NULL reads as empty.
using Row = std::vector<std::string>;

/// Whether the path names a readable plain file; if not, why ("no such file", "a named pipe, not a
/// module file", ...).
Status checkReachable(const std::string& path);

/// Whether a connection of any program has the module file at `path` open (every connection
/// opened here marks its file until it closes). A file put in the place of one that is open
/// would take with it what that program writes next, unseen by anyone.
bool openElsewhere(const std::string& path);

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
    /// query, no functions beyond a few plain ones. A failure's kind tells why (kNoFile,
    /// kNotAModule, kInUse, ...); its message is a sentence without the file, which it names.
    static Result<std::shared_ptr<ModuleDatabase>> open(const std::string& path,
                                                        const std::string& key,
                                                        Access access = Access::kReadWrite);
    /// Creates a new, empty, encrypted file (which must not exist yet).
    static Result<std::shared_ptr<ModuleDatabase>> create(const std::string& path,
                                                          const std::string& key);

    /// Runs one statement with text parameters and returns its rows as text.
    Result<std::vector<Row>> query(const std::string& sql,
                                   const std::vector<std::string>& parameters = {});
    /// Same, for statements whose rows hold one integer (rowid lists).
    Result<std::vector<std::int64_t>> queryIntegers(
        const std::string& sql, const std::vector<std::string>& parameters = {});
    /// Runs statements that return nothing (several may be given, separated by ';').
    Status execute(const std::string& sql);
    /// Runs one write with text parameters in a transaction of its own; gives the row id of the
    /// row it inserted, if any.
    Result<std::int64_t> write(const std::string& sql, const std::vector<std::string>& parameters);
    /// A number that changes whenever another connection commits a change to the file, or a
    /// transaction of this one is rolled back (its writes, which readers here may have kept, are
    /// undone): what a connection read and kept is stale when it differs from the number then.
    /// -1 when it cannot be read, which no kept copy may trust.
    std::int64_t dataVersion();
    /// The rows this connection inserted, changed or deleted since it was opened: with the data
    /// version, it tells that nobody wrote the file, as the connection is shared in a process.
    std::int64_t ownChanges() const;
    /// Told by the outermost Transaction when it begins and ends: while it holds the write
    /// lock, no other connection can commit, so the data version is read once.
    void transactionBegan() { versionInTransaction_ = -1, inTransaction_ = true; }
    void transactionEnded() { inTransaction_ = false; }
    /// Told by every Transaction, a savepoint's too, that is rolled back.
    void transactionRolledBack() { ++rollbacks_; }

    bool hasTable(const std::string& table);
    /// The name that addresses the real row id of a table: "rowid", "_rowid_" or "oid",
    /// whichever no column of the table shadows; empty when none is free.
    std::string rowIdName(const std::string& table);
    /// The column names of a table, in table order; empty when there is no such table.
    std::vector<std::string> columns(const std::string& table);

    const std::string& path() const { return path_; }
    /// Whether writes are refused: opened for reading, or a file this process may not write.
    bool readOnly() const { return readOnly_; }
    sqlite3* handle() const { return db_; }

    /// An identifier quoted for SQL.
    static std::string quoteIdentifier(const std::string& name);

  private:
    ModuleDatabase(sqlite3* db, std::string path, bool readOnly)
        : db_(db), path_(std::move(path)), readOnly_(readOnly) {}
    sqlite3* db_;
    /// Holds the mark openElsewhere looks for; closed after the connection, as closing a
    /// descriptor of the file drops the locks the library holds on it.
    int openMark_ = -1;
    sqlite3_stmt* versionStatement_ = nullptr;
    bool inTransaction_ = false;
    std::int64_t versionInTransaction_ = -1;
    std::int64_t rollbacks_ = 0;
    std::string path_;
    bool readOnly_;
};

}  // namespace vexlor::modules
