#include "modules/module_database.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <map>
#include <tuple>

namespace vexlor::modules {

namespace {

// Modules are written in the version-3 file format; a newer library is told so here, and an
// older one ignores the pragma. Every connection goes through this one place.
bool applyCipherSettings(sqlite3* db, const std::string& key, std::string* error) {
    if (sqlite3_key(db, key.data(), static_cast<int>(key.size())) != SQLITE_OK) {
        if (error) *error = "the key could not be set";
        return false;
    }
    sqlite3_exec(db, "PRAGMA cipher_compatibility = 3;", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, 2000);
    return true;
}

void setError(std::string* error, sqlite3* db) {
    if (error) *error = db ? sqlite3_errmsg(db) : "out of memory";
}

// Open files by (device, inode, key): a file replaced on disk gets a fresh connection.
using FileKey = std::tuple<dev_t, ino_t, std::string>;
std::map<FileKey, std::weak_ptr<ModuleDatabase>>& openFiles() {
    static std::map<FileKey, std::weak_ptr<ModuleDatabase>> files;
    return files;
}

class Statement {
  public:
    Statement(sqlite3* db, const std::string& sql, const std::vector<std::string>& parameters,
              std::string* error) {
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
            SQLITE_OK) {
            setError(error, db);
            return;
        }
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            sqlite3_bind_text(stmt_, static_cast<int>(i + 1), parameters[i].data(),
                              static_cast<int>(parameters[i].size()), SQLITE_TRANSIENT);
        }
        ok_ = true;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return ok_; }
    sqlite3_stmt* get() const { return stmt_; }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    bool ok_ = false;
};

}  // namespace

ModuleDatabase::~ModuleDatabase() {
    sqlite3_close_v2(db_);
}

std::shared_ptr<ModuleDatabase> ModuleDatabase::open(const std::string& path,
                                                     const std::string& key, std::string* error) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        if (error) *error = "no such file";
        return nullptr;
    }
    const FileKey fileKey{info.st_dev, info.st_ino, key};
    auto& files = openFiles();
    if (auto shared = files[fileKey].lock()) return shared;

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        setError(error, db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Reading the schema derives the key and proves the file opens with it.
    if (!applyCipherSettings(db, key, error) ||
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        if (error && error->empty()) setError(error, db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    std::shared_ptr<ModuleDatabase> opened(new ModuleDatabase(db, path));
    files[fileKey] = opened;
    std::erase_if(files, [](const auto& entry) { return entry.second.expired(); });
    return opened;
}

std::shared_ptr<ModuleDatabase> ModuleDatabase::create(const std::string& path,
                                                       const std::string& key, std::string* error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (error) *error = "the file exists already";
        return nullptr;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK ||
        !applyCipherSettings(db, key, error)) {
        if (error && error->empty()) setError(error, db);
        sqlite3_close_v2(db);
        return nullptr;
    }
    return std::shared_ptr<ModuleDatabase>(new ModuleDatabase(db, path));
}

std::optional<std::vector<Row>> ModuleDatabase::query(const std::string& sql,
                                                      const std::vector<std::string>& parameters,
                                                      std::string* error) {
    Statement statement(db_, sql, parameters, error);
    if (!statement.ok()) return std::nullopt;
    std::vector<Row> rows;
    const int columnCount = sqlite3_column_count(statement.get());
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        Row row;
        row.reserve(static_cast<std::size_t>(columnCount));
        for (int c = 0; c < columnCount; ++c) {
            const auto* text = sqlite3_column_text(statement.get(), c);
            const int size = sqlite3_column_bytes(statement.get(), c);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "",
                             text ? static_cast<std::size_t>(size) : 0);
        }
        rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE) {
        setError(error, db_);
        return std::nullopt;
    }
    return rows;
}

std::optional<std::vector<std::int64_t>> ModuleDatabase::queryIntegers(
    const std::string& sql, const std::vector<std::string>& parameters, std::string* error) {
    Statement statement(db_, sql, parameters, error);
    if (!statement.ok()) return std::nullopt;
    std::vector<std::int64_t> values;
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
        values.push_back(sqlite3_column_int64(statement.get(), 0));
    if (step != SQLITE_DONE) {
        setError(error, db_);
        return std::nullopt;
    }
    return values;
}

bool ModuleDatabase::execute(const std::string& sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        if (error) *error = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool ModuleDatabase::write(const std::string& sql, const std::vector<std::string>& parameters,
                           std::string* error, std::int64_t* insertedRow) {
    Transaction transaction(*this, error);
    if (!transaction.active()) return false;
    Statement statement(db_, sql, parameters, error);
    if (!statement.ok()) return false;
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        setError(error, db_);
        return false;
    }
    if (insertedRow) *insertedRow = sqlite3_last_insert_rowid(db_);
    return transaction.commit(error);
}

Transaction::Transaction(ModuleDatabase& database, std::string* error) : database_(database) {
    nested_ = sqlite3_get_autocommit(database_.handle()) == 0;
    // IMMEDIATE takes the write lock at once, so a busy module fails here and not half-way.
    active_ = database_.execute(nested_ ? "SAVEPOINT vexlor_write;" : "BEGIN IMMEDIATE;", error);
}

Transaction::~Transaction() {
    if (active_) rollback();
}

bool Transaction::commit(std::string* error) {
    if (!active_) {
        if (error && error->empty()) *error = "no transaction";
        return false;
    }
    if (!database_.execute(nested_ ? "RELEASE vexlor_write;" : "COMMIT;", error)) {
        rollback();
        return false;
    }
    active_ = false;
    return true;
}

void Transaction::rollback() {
    active_ = false;
    if (nested_) {
        database_.execute("ROLLBACK TO vexlor_write; RELEASE vexlor_write;");
    } else if (sqlite3_get_autocommit(database_.handle()) == 0) {
        database_.execute("ROLLBACK;");
    }
}

bool ModuleDatabase::hasTable(const std::string& table) {
    return !columns(table).empty();
}

std::vector<std::string> ModuleDatabase::columns(const std::string& table) {
    std::vector<std::string> names;
    // PRAGMA table_info rows: cid, name, type, notnull, default, pk.
    if (auto rows = query("PRAGMA table_info(" + quoteIdentifier(table) + ");")) {
        for (auto& row : *rows) names.push_back(std::move(row[1]));
    }
    return names;
}

std::string ModuleDatabase::quoteIdentifier(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

}  // namespace vexlor::modules
