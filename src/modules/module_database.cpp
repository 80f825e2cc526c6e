#include "modules/module_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>
#include <tuple>

#include "modules/module_format.h"
#include "text/text.h"

namespace vexlor::modules {

namespace {

// Values no module needs but a hostile one could use to exhaust memory.
constexpr int kMaxTextBytes = 16 * 1024 * 1024;
constexpr int kBusyWaitMs = 2000;

// Modules are written in the version-3 file format; a newer library is told so here, and an
// older one ignores the pragma. Every connection goes through this one place.
bool applyCipherSettings(sqlite3* db, const std::string& key, std::string* error) {
#ifdef VEXLOR_FUZZ_PLAIN_DATABASE
    // Fuzz builds only (scripts/fuzz): modules are plain SQLite files, since key derivation
    // and page checksums would refuse nearly every mutated byte before the schema is read.
    (void)key;
    (void)error;
#else
    if (sqlite3_key(db, key.data(), static_cast<int>(key.size())) != SQLITE_OK) {
        if (error) *error = "the key could not be set";
        return false;
    }
    sqlite3_exec(db, "PRAGMA cipher_compatibility = 3;", nullptr, nullptr, nullptr);
#endif
    sqlite3_busy_timeout(db, kBusyWaitMs);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxTextBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 1024 * 1024);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    return true;
}

// A sentence for the engine's last error, naming what a user can act on.
std::string describe(sqlite3* db) {
    if (!db) return "out of memory";
    switch (sqlite3_errcode(db)) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "the module is in use by another program (it stays locked)";
        case SQLITE_READONLY:
            return "the module cannot be written (the file is read-only)";
        case SQLITE_FULL:
            return "the disk is full";
        case SQLITE_CORRUPT:
            return "the module is damaged (" + std::string(sqlite3_errmsg(db)) + ")";
        case SQLITE_NOTADB:
            return "not a module: it cannot be read with the module key";
        default:
            return sqlite3_errmsg(db);
    }
}

void setError(std::string* error, sqlite3* db) {
    if (error) *error = describe(db);
}

OpenProblem problemOf(int code) {
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return OpenProblem::kInUse;
        case SQLITE_CORRUPT:
            return OpenProblem::kDamaged;
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
            return OpenProblem::kNoAccess;
        default:
            return OpenProblem::kNotAModule;
    }
}

bool isModuleTable(std::string_view name) {
    return std::any_of(kModuleTables.begin(), kModuleTables.end(), [&](const TableFormat& table) {
        return text::equalsIgnoringCase(name, table.name);
    });
}

// Everything a module connection may do: plain reads and writes of the module's tables, the
// schema and the few pragmas and functions the program uses. Nothing runs inside a view or a
// trigger, so a crafted schema cannot make a query do more than it says.
int authorize(void*, int action, const char* first, const char* second, const char*,
              const char* insideViewOrTrigger) {
    if (insideViewOrTrigger) return SQLITE_DENY;
    const std::string_view a = first ? first : "";
    const std::string_view b = second ? second : "";
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT:
            return SQLITE_OK;
        case SQLITE_READ:
            return isModuleTable(a) || text::equalsIgnoringCase(a, "sqlite_master") ? SQLITE_OK
                                                                                    : SQLITE_DENY;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            return isModuleTable(a) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_PRAGMA:
            for (const char* allowed : {"table_info", "integrity_check", "quick_check"})
                if (text::equalsIgnoringCase(a, allowed)) return SQLITE_OK;
            // Reading the journal mode, never setting it.
            return text::equalsIgnoringCase(a, "journal_mode") && b.empty() ? SQLITE_OK
                                                                            : SQLITE_DENY;
        case SQLITE_FUNCTION:
            for (const char* allowed : {"count", "length", "typeof", "lower", "upper", "substr",
                                        "instr", "trim", "coalesce", "ifnull", "max", "min", "abs"})
                if (text::equalsIgnoringCase(b, allowed)) return SQLITE_OK;
            return SQLITE_DENY;
        default:
            return SQLITE_DENY;
    }
}

// Whether the rows of an ordinary table can be addressed by row id: a table declared without
// row ids has none (unless columns of its own take all three names).
bool hasRowIds(sqlite3* db, const std::string& table, int* code) {
    sqlite3_stmt* statement = nullptr;
    const std::string sql =
        "SELECT rowid, _rowid_, oid FROM " + ModuleDatabase::quoteIdentifier(table) + " LIMIT 0;";
    *code = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    sqlite3_finalize(statement);
    return *code == SQLITE_OK;
}

// Refuses a schema where the module's tables are not ordinary tables with row ids, or with any
// trigger. Reads only the schema, before any row of the module's tables is touched. The schema's
// own fields decide, not the text of its statements: views and virtual tables own no pages.
OpenProblem checkLayout(sqlite3* db, std::string* error) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT type, name, rootpage FROM sqlite_master;", -1, &statement,
                           nullptr) != SQLITE_OK) {
        setError(error, db);
        return problemOf(sqlite3_errcode(db));
    }
    std::string why;
    std::vector<std::string> tables;
    int step;
    while (why.empty() && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* typeText = sqlite3_column_text(statement, 0);
        const auto* nameText = sqlite3_column_text(statement, 1);
        const std::string type = typeText ? reinterpret_cast<const char*>(typeText) : "";
        const std::string name = nameText ? reinterpret_cast<const char*>(nameText) : "";
        if (type == "trigger") {
            why = "it defines a trigger (" + name + ")";
        } else if (isModuleTable(name) && type != "table") {
            why = name + " is a " + type + ", not a table";
        } else if (isModuleTable(name) && sqlite3_column_int64(statement, 2) <= 0) {
            why = name + " is a virtual table";
        } else if (isModuleTable(name)) {
            tables.push_back(name);
        }
    }
    const bool failed = why.empty() && step != SQLITE_DONE;
    const int code = sqlite3_errcode(db);
    if (failed) setError(error, db);
    sqlite3_finalize(statement);
    if (failed) return problemOf(code);
    for (const auto& table : tables) {
        if (!why.empty()) break;
        int prepared = SQLITE_OK;
        if (hasRowIds(db, table, &prepared)) continue;
        if (prepared != SQLITE_ERROR) {
            setError(error, db);
            return problemOf(prepared);
        }
        why = table + " is a table without row ids";
    }
    if (why.empty()) return OpenProblem::kNone;
    if (error) *error = "not a module: " + why;
    return OpenProblem::kUnsafeLayout;
}

enum class JournalState { kNone, kOwn, kForeign };

// A file descriptor closed when it goes out of scope.
class FileHandle {
  public:
    // Never blocks (a pipe opens at once) and never follows a link at the last step.
    explicit FileHandle(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY)) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Whether it is open on a regular file; its size then in `size`.
    bool regular(std::uint64_t& size) const {
        struct stat info {};
        if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return false;
        size = static_cast<std::uint64_t>(info.st_size);
        return true;
    }
    // Reads `size` bytes at `offset`; false when fewer are there.
    bool readAt(std::uint64_t offset, unsigned char* bytes, std::size_t size) const {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got =
                ::pread(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
            if (got <= 0) return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

  private:
    int fd_;
};

// A rollback journal that the engine would play back into the file on the next read. Its page 1
// record carries the salt that begins every encrypted module file, so a journal left beside a
// file by another one (a module replaced under the same name) is told apart from the file's own.
// A journal that holds no page 1 cannot be told apart and counts as the file's own. Only called
// once the journal is known to be a regular file.
JournalState journalState(const std::string& path) {
    const FileHandle journal(path + "-journal");
    std::uint64_t size = 0;
    if (!journal.regular(size)) return JournalState::kNone;
    constexpr unsigned char kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
    unsigned char header[28] = {};
    // The engine ignores an empty journal, or one whose header was zeroed or never written.
    if (!journal.readAt(0, header, sizeof header) || header[0] == 0 ||
        !std::equal(std::begin(kMagic), std::end(kMagic), header))
        return JournalState::kNone;
    std::uint32_t records = text::bigEndian32(header + 8);
    const std::uint32_t sectorSize = text::bigEndian32(header + 20);
    const std::uint32_t pageSize = text::bigEndian32(header + 24);
    if (sectorSize < sizeof header || sectorSize > 65536 || pageSize < 512 || pageSize > 65536)
        return JournalState::kForeign;

    unsigned char salt[16] = {};
    const FileHandle file(path);
    if (!file.readAt(0, salt, sizeof salt)) return JournalState::kOwn;

    std::vector<unsigned char> record(4 + pageSize + 4);
    // A journal whose header was written before its records counts them by its size, as the
    // engine does when it plays it back.
    if (records == 0 || records == 0xffffffff)
        records = size > sectorSize ? static_cast<std::uint32_t>(std::min<std::uint64_t>(
                                          (size - sectorSize) / record.size(), 1'000'000))
                                    : 0;
    for (std::uint32_t i = 0; i < records && i < 1'000'000; ++i) {
        if (!journal.readAt(sectorSize + std::uint64_t{i} * record.size(), record.data(),
                            record.size()))
            break;
        if (text::bigEndian32(record.data()) != 1) continue;
        return std::equal(std::begin(salt), std::end(salt), record.begin() + 4)
                   ? JournalState::kOwn
                   : JournalState::kForeign;
    }
    return JournalState::kOwn;
}

// What lies at a path, without following a link there.
enum class Entry { kNothing, kRegular, kOther };
Entry entryAt(const std::string& path, struct stat& info) {
    if (::lstat(path.c_str(), &info) != 0) return Entry::kNothing;
    return S_ISREG(info.st_mode) ? Entry::kRegular : Entry::kOther;
}

bool exists(const std::string& path) {
    struct stat info {};
    return entryAt(path, info) != Entry::kNothing;
}

// "a folder", "a named pipe", ... for a file that is not a regular one.
std::string kindOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return "a folder";
    if (S_ISFIFO(info.st_mode)) return "a named pipe";
    if (S_ISLNK(info.st_mode)) return "a symbolic link";
    if (S_ISSOCK(info.st_mode)) return "a socket";
    return "a device";
}

// Checks made on the path before the engine sees it; empty when the file may be opened.
// Whether there is a readable regular file at the path.
OpenProblem checkPath(const std::string& path, struct stat& info, std::string* error) {
    auto refuse = [&](OpenProblem problem, std::string why) {
        if (error) *error = std::move(why);
        return problem;
    };
    if (path.empty()) return refuse(OpenProblem::kNoFile, "no file name");
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == EACCES)
            return refuse(OpenProblem::kNoAccess, "cannot be read (permission denied)");
        if (errno == ENAMETOOLONG)
            return refuse(OpenProblem::kNoFile, "the path is too long to reach the file");
        if (errno == ELOOP) return refuse(OpenProblem::kNoFile, "a loop of symbolic links");
        return exists(path) ? refuse(OpenProblem::kNoFile, "a link to a file that does not exist")
                            : refuse(OpenProblem::kNoFile, "no such file");
    }
    if (!S_ISREG(info.st_mode))
        return refuse(OpenProblem::kNotAFile, kindOf(info) + ", not a module file");
    if (::access(path.c_str(), R_OK) != 0)
        return refuse(OpenProblem::kNoAccess, "cannot be read (permission denied)");
    return OpenProblem::kNone;
}

OpenProblem checkFile(const std::string& path, Access access, struct stat& info,
                      std::string* error) {
    if (const auto problem = checkPath(path, info, error); problem != OpenProblem::kNone)
        return problem;
    auto refuse = [&](OpenProblem problem, const char* why) {
        if (error) *error = why;
        return problem;
    };
    // The engine opens these side files as it pleases, blocking on a pipe: anything there that
    // is not a plain file is refused before the engine looks.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        struct stat side {};
        if (entryAt(path + suffix, side) != Entry::kOther) continue;
        if (error) {
            const std::string name = path.substr(path.find_last_of('/') + 1) + suffix;
            *error = name + " beside it is " + kindOf(side) +
                     ", not a journal the module could have written; remove it";
        }
        return OpenProblem::kForeignJournal;
    }
    // Modules never use a write-ahead log; one beside a file belongs to something else.
    if (exists(path + "-wal") || exists(path + "-shm"))
        return refuse(OpenProblem::kForeignJournal,
                      "a write-ahead log (-wal or -shm file) lies beside it; modules never use "
                      "one, so it belongs to another file and is not applied");
    switch (journalState(path)) {
        case JournalState::kNone:
            break;
        case JournalState::kForeign:
            return refuse(
                OpenProblem::kForeignJournal,
                "the journal beside it (-journal file) belongs to another file and is not "
                "applied; remove it if this module is intact");
        case JournalState::kOwn:
            if (access == Access::kReadOnly)
                return refuse(OpenProblem::kNeedsRecovery,
                              "needs recovering: the journal beside it (-journal file) holds an "
                              "interrupted write; opening it in the game completes the recovery");
            break;
    }
    return OpenProblem::kNone;
}

// Open files by (device, inode, key, access): a file replaced on disk gets a fresh connection.
using FileKey = std::tuple<dev_t, ino_t, std::string, bool>;
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
            // A text over the length limit would be bound as NULL and stored as such: refused.
            if (parameters[i].size() > static_cast<std::size_t>(kMaxTextBytes) ||
                sqlite3_bind_text(stmt_, static_cast<int>(i + 1), parameters[i].data(),
                                  static_cast<int>(parameters[i].size()),
                                  SQLITE_TRANSIENT) != SQLITE_OK) {
                if (error)
                    *error = parameters[i].size() > static_cast<std::size_t>(kMaxTextBytes)
                                 ? "a text is longer than the " +
                                       std::to_string(kMaxTextBytes / (1024 * 1024)) +
                                       " MiB a module field may hold"
                                 : describe(db);
                return;
            }
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

std::optional<std::string> unreachableFile(const std::string& path) {
    struct stat info {};
    std::string why;
    if (checkPath(path, info, &why) == OpenProblem::kNone) return std::nullopt;
    return why;
}

ModuleDatabase::~ModuleDatabase() {
    sqlite3_close_v2(db_);
}

std::shared_ptr<ModuleDatabase> ModuleDatabase::open(const std::string& path,
                                                     const std::string& key, std::string* error,
                                                     Access access, OpenProblem* problem) {
    auto refuse = [&](OpenProblem why) -> std::shared_ptr<ModuleDatabase> {
        if (problem) *problem = why;
        return nullptr;
    };
    if (problem) *problem = OpenProblem::kNone;
    struct stat info {};
    if (const auto checked = checkFile(path, access, info, error); checked != OpenProblem::kNone)
        return refuse(checked);
    const bool readOnly = access == Access::kReadOnly;
    const FileKey fileKey{info.st_dev, info.st_ino, key, readOnly};
    auto& files = openFiles();
    if (auto shared = files[fileKey].lock()) return shared;

    sqlite3* db = nullptr;
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        setError(error, db);
        const int code = db ? sqlite3_errcode(db) : SQLITE_NOMEM;
        sqlite3_close_v2(db);
        return refuse(problemOf(code));
    }
    // Reading the schema derives the key and proves the file opens with it.
    OpenProblem layout = OpenProblem::kNotAModule;
    if (applyCipherSettings(db, key, error)) layout = checkLayout(db, error);
    if (layout == OpenProblem::kNone) {
        // A module in write-ahead-log mode would take writes from a log beside it.
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA journal_mode;", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            const auto* mode = sqlite3_column_text(statement, 0);
            if (mode && text::equalsIgnoringCase(reinterpret_cast<const char*>(mode), "wal")) {
                if (error) *error = "not a module: it is set to keep a write-ahead log";
                layout = OpenProblem::kUnsafeLayout;
            }
        }
        sqlite3_finalize(statement);
    }
    if (layout != OpenProblem::kNone) {
        sqlite3_close_v2(db);
        return refuse(layout);
    }
    sqlite3_set_authorizer(db, authorize, nullptr);
    std::shared_ptr<ModuleDatabase> opened(new ModuleDatabase(db, path, readOnly));
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
    return std::shared_ptr<ModuleDatabase>(new ModuleDatabase(db, path, false));
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
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        setError(error, db_);
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
