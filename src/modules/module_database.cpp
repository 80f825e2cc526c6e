#include "modules/module_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "modules/engine.h"
#include "modules/file_checks.h"
#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "modules/schema_guard.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::modules {

using engine::lastError;
using engine::Statement;

namespace {

constexpr int kBusyWaitMs = 2000;

// Modules are written in the version-3 file format; a newer library is told so here, and an
// older one ignores the pragma. Every connection goes through this one place.
Status applyCipherSettings(sqlite3* db, const std::string& key) {
#ifdef VEXLOR_FUZZ_PLAIN_DATABASE
    // Fuzz builds only (scripts/fuzz): modules are plain SQLite files, since key derivation
    // and page checksums would refuse nearly every mutated byte before the schema is read.
    (void)key;
#else
    if (sqlite3_key(db, key.data(), static_cast<int>(key.size())) != SQLITE_OK)
        return Error(ErrorKind::kNotAModule, i18n::tx("the key could not be set"));
    // An older library knows no such pragma and reads version 3 anyway.
    sqlite3_exec(db, "PRAGMA cipher_compatibility = 3;", nullptr, nullptr, nullptr);
#endif
    sqlite3_busy_timeout(db, kBusyWaitMs);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxTextBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 1024 * 1024);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    return Status::success();
}

// Open files by (device, inode, key, access): a file replaced on disk gets a fresh connection.
using FileKey = std::tuple<dev_t, ino_t, std::string, bool>;
std::map<FileKey, std::weak_ptr<ModuleDatabase>>& openFiles() {
    static std::map<FileKey, std::weak_ptr<ModuleDatabase>> files;
    return files;
}

// The byte an open module is marked on: a lock of the open file description, which other
// descriptors' closing never drops, far past anything the database library locks or any module
// reaches, so it meets no lock of the library's, also where locks are ranges of bytes on a
// server.
constexpr off_t kOpenMarkByte = off_t{1} << 62;

struct flock openMark(short type) {
    struct flock mark {};
    mark.l_type = type;
    mark.l_whence = SEEK_SET;
    mark.l_start = kOpenMarkByte;
    mark.l_len = 1;
    return mark;
}

// A descriptor of the file opened, marked, or -1 when it cannot be (the mark is a courtesy to
// writers, not a condition of playing).
int markOpen(const std::string& path, const struct stat& opened) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat info {};
    struct flock mark = openMark(F_RDLCK);
    if (::fstat(fd, &info) != 0 || info.st_dev != opened.st_dev || info.st_ino != opened.st_ino ||
        ::fcntl(fd, F_OFD_SETLK, &mark) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool openElsewhere(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct flock mark = openMark(F_WRLCK);
    const bool marked = ::fcntl(fd, F_OFD_GETLK, &mark) == 0 && mark.l_type != F_UNLCK;
    ::close(fd);
    return marked;
}

Status checkReachable(const std::string& path) {
    struct stat info {};
    return files::checkPath(path, info);
}

ModuleDatabase::~ModuleDatabase() {
    sqlite3_finalize(versionStatement_);
    sqlite3_close_v2(db_);
    if (openMark_ >= 0) ::close(openMark_);
}

Result<std::shared_ptr<ModuleDatabase>> ModuleDatabase::open(const std::string& path,
                                                             const std::string& key,
                                                             Access access) {
    struct stat info {};
    if (Status checked = files::checkFile(path, access, info); !checked) return checked.error();
    const bool readOnly = access == Access::kReadOnly;
    const FileKey fileKey{info.st_dev, info.st_ino, key, readOnly};
    auto& files = openFiles();
    if (auto shared = files[fileKey].lock()) return shared;

    sqlite3* db = nullptr;
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        const Error failed = lastError(db, ErrorKind::kNotAModule).about(path);
        sqlite3_close_v2(db);
        return failed;
    }
    // Reading the schema derives the key and proves the file opens with it.
    Status layout = applyCipherSettings(db, key);
    if (layout) layout = schema::checkLayout(db);
    if (layout) {
        // A module in write-ahead-log mode would take writes from a log beside it.
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql::kJournalMode.data(), -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            const auto* mode = sqlite3_column_text(statement, 0);
            if (mode && text::equalsIgnoringCase(reinterpret_cast<const char*>(mode), "wal"))
                layout = Error(ErrorKind::kUnsafeLayout,
                               i18n::tx("it is set to keep a write-ahead log"));
        }
        sqlite3_finalize(statement);
    }
    if (!layout) {
        sqlite3_close_v2(db);
        return layout.error().about(path);
    }
    sqlite3_set_authorizer(db, schema::authorize, nullptr);
    // A file this process may not write is opened for reading only, and is told so: the game
    // plays it all the same, and writers know before they try.
    const bool writable = !readOnly && sqlite3_db_readonly(db, "main") == 0;
    std::shared_ptr<ModuleDatabase> opened(new ModuleDatabase(db, path, !writable));
    opened->openMark_ = markOpen(path, info);
    files[fileKey] = opened;
    std::erase_if(files, [](const auto& entry) { return entry.second.expired(); });
    return opened;
}

Result<std::shared_ptr<ModuleDatabase>> ModuleDatabase::create(const std::string& path,
                                                               const std::string& key) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return Error(ErrorKind::kExists, i18n::tx("the file exists already"), path);
    sqlite3* db = nullptr;
    Status opened =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) == SQLITE_OK
            ? applyCipherSettings(db, key)
            : Status(lastError(db));
    if (!opened) {
        sqlite3_close_v2(db);
        return opened.error().about(path);
    }
    return std::shared_ptr<ModuleDatabase>(new ModuleDatabase(db, path, false));
}

Result<std::vector<Row>> ModuleDatabase::query(const std::string& sql,
                                               const std::vector<std::string>& parameters) {
    Statement statement(db_, sql, parameters);
    if (!statement.status()) return statement.status().error();
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
    if (step != SQLITE_DONE) return lastError(db_);
    return rows;
}

Result<std::vector<std::int64_t>> ModuleDatabase::queryIntegers(
    const std::string& sql, const std::vector<std::string>& parameters) {
    Statement statement(db_, sql, parameters);
    if (!statement.status()) return statement.status().error();
    std::vector<std::int64_t> values;
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
        values.push_back(sqlite3_column_int64(statement.get(), 0));
    if (step != SQLITE_DONE) return lastError(db_);
    return values;
}

Status ModuleDatabase::execute(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return lastError(db_);
    return Status::success();
}

Result<std::int64_t> ModuleDatabase::write(const std::string& sql,
                                           const std::vector<std::string>& parameters) {
    Transaction transaction(*this);
    if (!transaction.active()) return transaction.begun().error();
    Statement statement(db_, sql, parameters);
    if (!statement.status()) return statement.status().error();
    if (sqlite3_step(statement.get()) != SQLITE_DONE) return lastError(db_);
    const std::int64_t inserted = sqlite3_last_insert_rowid(db_);
    if (Status committed = transaction.commit(); !committed) return committed.error();
    return inserted;
}

std::int64_t ModuleDatabase::ownChanges() const {
    return sqlite3_total_changes(db_);
}

std::int64_t ModuleDatabase::dataVersion() {
    std::int64_t version = inTransaction_ ? versionInTransaction_ : -1;
    if (version == -1) {
        // Asked before every read the store answers from memory: prepared once.
        if (!versionStatement_ && sqlite3_prepare_v2(db_, sql::kDataVersion.data(), -1,
                                                     &versionStatement_, nullptr) != SQLITE_OK)
            return -1;
        if (sqlite3_step(versionStatement_) == SQLITE_ROW)
            version = sqlite3_column_int64(versionStatement_, 0);
        sqlite3_reset(versionStatement_);
        if (inTransaction_) versionInTransaction_ = version;
    }
    if (version < 0) return -1;
    // The engine's number counts other connections' commits, far below 2^32 in any session.
    return version + (rollbacks_ << 32);
}

bool ModuleDatabase::hasTable(const std::string& table) {
    return !columns(table).empty();
}

std::string ModuleDatabase::rowIdName(const std::string& table) {
    const auto names = columns(table);
    for (const char* candidate : {"rowid", "_rowid_", "oid"}) {
        if (std::none_of(names.begin(), names.end(), [&](const std::string& name) {
                return text::equalsIgnoringCase(name, candidate);
            }))
            return candidate;
    }
    return {};
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
