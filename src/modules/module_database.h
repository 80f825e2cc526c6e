#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace vexlor::modules {

/// The password every module is protected with.
inline constexpr const char* kModuleKey = "tov3ralu";

/// A value read from or written to a module: every field is text; NULL reads as empty.
using Row = std::vector<std::string>;

/// One open module file: an SQLCipher connection with the module cipher settings. Files are
/// shared: opening a file that is already open hands out the same connection, so the key is
/// derived once per file.
class ModuleDatabase {
  public:
    ModuleDatabase(const ModuleDatabase&) = delete;
    ModuleDatabase& operator=(const ModuleDatabase&) = delete;
    ~ModuleDatabase();

    /// Opens an existing file with `key` and checks that the key reads it. Never creates,
    /// never writes. On failure returns nothing and says why in `error`.
    static std::shared_ptr<ModuleDatabase> open(const std::string& path, const std::string& key,
                                                std::string* error = nullptr);
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
    /// The column names of a table, in table order; empty when there is no such table.
    std::vector<std::string> columns(const std::string& table);

    const std::string& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    /// An identifier quoted for SQL.
    static std::string quoteIdentifier(const std::string& name);

  private:
    ModuleDatabase(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    sqlite3* db_;
    std::string path_;
};

/// A write transaction on a module that rolls back unless committed. Inside another transaction
/// it is a savepoint of that one, so writes that make their own transaction can run in a batch.
class Transaction {
  public:
    explicit Transaction(ModuleDatabase& database, std::string* error = nullptr);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Whether the transaction began; writes made when it did not are not protected by it.
    bool active() const { return active_; }
    /// Makes the writes since the start permanent (or part of the enclosing transaction).
    /// On failure everything since the start is rolled back and no transaction stays open.
    bool commit(std::string* error = nullptr);

  private:
    void rollback();

    ModuleDatabase& database_;
    bool nested_ = false;
    bool active_ = false;
};

}  // namespace vexlor::modules
