#include "vexlor-module/module_file.h"

#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <regex>
#include <system_error>

#include "app/text_values.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using modules::ModuleDatabase;

namespace {

struct TableLayout {
    const char* name;
    std::vector<const char*> columns;
};

const std::array<TableLayout, 4>& tables() {
    static const std::array<TableLayout, 4> layouts = {{
        {"MainData", {kQuestionColumns.begin(), kQuestionColumns.end()}},
        {"Propriete", {"Title", "Author", "Company", "Year"}},
        {"Use", {"Use"}},
        {"HScore", {"Nom", "Date", "Score"}},
    }};
    return layouts;
}

const TableLayout& layoutOf(ModuleFile::Table table) {
    return tables()[static_cast<std::size_t>(table)];
}

std::string quoted(const char* name) {
    return ModuleDatabase::quoteIdentifier(name);
}

std::string columnList(const TableLayout& layout) {
    std::string list;
    for (const char* column : layout.columns) {
        if (!list.empty()) list += ", ";
        list += quoted(column);
    }
    return list;
}

std::string createStatements() {
    std::string sql;
    for (const TableLayout& layout : tables()) {
        sql += "CREATE TABLE " + quoted(layout.name) + " (";
        for (std::size_t i = 0; i < layout.columns.size(); ++i)
            sql += (i ? ", " : "") + quoted(layout.columns[i]) + " TEXT";
        sql += ");\n";
    }
    // The game looks up asked question numbers one by one.
    sql += "CREATE INDEX \"UseIndex\" ON \"Use\" (\"Use\");\n";
    return sql;
}

std::string insertStatement(const TableLayout& layout) {
    std::string marks;
    for (std::size_t i = 0; i < layout.columns.size(); ++i) marks += i ? ", ?" : "?";
    return "INSERT INTO " + quoted(layout.name) + " (" + columnList(layout) + ") VALUES (" + marks +
           ");";
}

bool sameName(const std::string& a, const char* b) {
    const std::string other(b);
    return std::equal(a.begin(), a.end(), other.begin(), other.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// --- the tool's own connection ------------------------------------------------------------
// The tool opens modules itself, read-only where it only reads, and lets nothing that a file
// defines run on its connection.

struct SqlError {
    int code = SQLITE_OK;  ///< extended result code
    std::string message;
};

SqlError errorOf(sqlite3* db) {
    return {sqlite3_extended_errcode(db), sqlite3_errmsg(db)};
}

bool isTableName(const char* name) {
    if (!name) return false;
    for (const TableLayout& layout : tables())
        if (sameName(name, layout.name)) return true;
    return false;
}

// Allows only what the tool itself does: read the four tables and the schema, count, look at
// table columns, and (when writable) empty the asked list. Nothing runs inside a view or a
// trigger, so SQL that a file brings along is never executed.
int authorize(void* writable, int action, const char* first, const char* second,
              const char* /*database*/, const char* viewOrTrigger) {
    if (viewOrTrigger) return SQLITE_DENY;
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_TRANSACTION:
            return SQLITE_OK;
        case SQLITE_READ:
            return isTableName(first) || sameName(first ? first : "", "sqlite_master")
                       ? SQLITE_OK
                       : SQLITE_DENY;
        case SQLITE_FUNCTION:
            return sameName(second ? second : "", "count") ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_PRAGMA:
            return sameName(first ? first : "", "table_info") ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_DELETE:
            return writable &&
                           sameName(first ? first : "", layoutOf(ModuleFile::Table::kAsked).name)
                       ? SQLITE_OK
                       : SQLITE_DENY;
        default:
            return SQLITE_DENY;
    }
}

std::optional<std::vector<modules::Row>> runQuery(sqlite3* db, const std::string& sql,
                                                  SqlError& error) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        error = errorOf(db);
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    std::vector<modules::Row> rows;
    const int columnCount = sqlite3_column_count(statement);
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        modules::Row row;
        row.reserve(static_cast<std::size_t>(columnCount));
        for (int c = 0; c < columnCount; ++c) {
            const auto* text = sqlite3_column_text(statement, c);
            const int size = sqlite3_column_bytes(statement, c);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "",
                             text ? static_cast<std::size_t>(size) : 0);
        }
        rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE) error = errorOf(db);
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) return std::nullopt;
    return rows;
}

bool runStatements(sqlite3* db, const std::string& sql, SqlError& error) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    error = errorOf(db);
    return false;
}

// What a failed read says about the file, for a line that follows "<file>: ".
std::string described(const SqlError& error, const std::filesystem::path& path) {
    switch (error.code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "it is in use: another program holds it locked (" + error.message + ")";
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return "it is damaged (" + error.message + ")";
        case SQLITE_AUTH:
            return "it asks for something the tool does not do (" + error.message + ")";
        case SQLITE_CANTOPEN:
            return "it cannot be opened (" + error.message + ")";
        case SQLITE_READONLY:
            if (error.code == SQLITE_READONLY_ROLLBACK)
                return "it needs recovering: the journal beside it (" + path.filename().string() +
                       "-journal) holds an interrupted write, and this command only reads";
            return "it cannot be written (" + error.message + ")";
        default:
            return error.message;
    }
}

// The second word of a CREATE statement ("TABLE", "VIRTUAL", ...), comments skipped, since a
// crafted schema may put one between the words.
std::string secondWord(const std::string& sql) {
    std::size_t at = 0;
    auto skip = [&] {
        for (;;) {
            while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at]))) ++at;
            if (sql.compare(at, 2, "--") == 0) {
                at = sql.find('\n', at);
            } else if (sql.compare(at, 2, "/*") == 0) {
                at = sql.find("*/", at + 2);
                if (at != std::string::npos) at += 2;
            } else {
                return;
            }
            if (at == std::string::npos) at = sql.size();
        }
    };
    std::string words[2];
    for (std::string& word : words) {
        skip();
        while (at < sql.size() && std::isalpha(static_cast<unsigned char>(sql[at])))
            word += sql[at++];
    }
    return words[1];
}

// Why a file that the key opens is not a module, or nothing when it is one: the four tables
// must be ordinary tables with every column the game uses, and no trigger may exist. Only the
// schema is read, so nothing a crafted file defines runs before it is refused.
std::optional<std::string> notAModule(sqlite3* db, SqlError& error) {
    auto schema = runQuery(db, "SELECT type, name, sql, rootpage FROM sqlite_master;", error);
    if (!schema) return std::nullopt;
    for (const TableLayout& layout : tables()) {
        const auto entry = std::find_if(schema->begin(), schema->end(), [&](const auto& row) {
            return row[0] != "index" && row[0] != "trigger" && sameName(row[1], layout.name);
        });
        if (entry == schema->end()) return std::string("it has no table ") + layout.name;
        if ((*entry)[0] != "table")
            return std::string(layout.name) + " is a " + (*entry)[0] + ", not a table";
        // Views and virtual tables have no pages of their own.
        if (sameName(secondWord((*entry)[2]), "virtual") || (*entry)[3] == "0" ||
            (*entry)[3].empty())
            return std::string(layout.name) + " is a virtual table, not an ordinary one";
        auto present = runQuery(db, "PRAGMA table_info(" + quoted(layout.name) + ");", error);
        if (!present) return std::nullopt;
        for (const char* column : layout.columns) {
            // PRAGMA table_info rows: cid, name, type, notnull, default, pk.
            const bool found = std::any_of(present->begin(), present->end(), [&](const auto& row) {
                return sameName(row[1], column);
            });
            if (!found) return std::string("its table ") + layout.name + " has no column " + column;
        }
    }
    for (const auto& row : *schema)
        if (row[0] == "trigger") return "it holds a trigger, " + row[1];

    return std::nullopt;
}

// A name for the row id of a table that no column of it hides; empty when every one is taken.
std::string rowIdName(sqlite3* db, const char* table) {
    SqlError ignored;
    auto columns = runQuery(db, "PRAGMA table_info(" + quoted(table) + ");", ignored);
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        const bool hidden =
            columns && std::any_of(columns->begin(), columns->end(),
                                   [&](const auto& row) { return sameName(row[1], name); });
        if (!hidden) return name;
    }
    return {};
}

// A name for the module under construction: hidden, beside the target, unique to this run.
fs::path temporaryPath(const fs::path& out, int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name = "." + out.filename().string() + "." + std::to_string(::getpid()) +
                             "-" + std::to_string(counter++) + "-" +
                             std::to_string((ticks + attempt) % 1000000) + ".tmp";
    return out.parent_path() / name;
}

// The files the database library keeps beside a database while writing it.
constexpr std::array<const char*, 3> kSideFileSuffixes = {"-journal", "-wal", "-shm"};

void removeQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    for (const char* suffix : kSideFileSuffixes)
        fs::remove(fs::path(path.string() + suffix), ignored);
}

// A journal or log beside `out` was written for the file that was there before (or for one long
// gone); played into the new module it would ruin it.
Status removeSideFiles(const fs::path& out) {
    for (const char* suffix : kSideFileSuffixes) {
        const fs::path side(out.string() + suffix);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(side, error))) continue;
        if (!fs::remove(side, error) && error)
            return Failure{out.string() + ": cannot remove the old " + side.filename().string() +
                           " beside it, which would spoil the new module: " + error.message()};
    }
    return Status::success();
}

bool processIsGone(long pid) {
    if (pid <= 0 || pid == ::getpid()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

Status fillModule(ModuleDatabase& database, const Properties& properties,
                  const std::vector<Question>& questions) {
    std::string error;
    if (!database.execute("BEGIN IMMEDIATE;", &error)) return Failure{error};
    bool written =
        database.execute(createStatements(), &error) &&
        database.query(insertStatement(layoutOf(ModuleFile::Table::kProperties)),
                       {properties.title, properties.author, properties.company, properties.year},
                       &error);
    const std::string insertQuestion = insertStatement(layoutOf(ModuleFile::Table::kQuestions));
    for (std::size_t i = 0; written && i < questions.size(); ++i)
        written = database.query(insertQuestion, questions[i].fields(), &error).has_value();
    if (written && database.execute("COMMIT;", &error)) return Status::success();
    database.execute("ROLLBACK;");
    return Failure{error};
}

// Moves the finished module into place; without `replace`, never over an existing file.
Status moveIntoPlace(const fs::path& temporary, const fs::path& out, bool replace) {
    if (Status cleared = removeSideFiles(out); !cleared) return cleared;
    std::error_code error;
    if (!replace) {
        // A hard link fails when the target exists, closing the gap between check and move.
        fs::create_hard_link(temporary, out, error);
        if (!error) {
            fs::remove(temporary, error);
            return Status::success();
        }
        if (error == std::errc::file_exists)
            return Failure{out.string() + ": exists already (use --force to replace it)"};
        if (fs::exists(out, error))
            return Failure{out.string() + ": exists already (use --force to replace it)"};
    }
    fs::rename(temporary, out, error);
    if (error)
        return Failure{out.string() + ": cannot put the module in place: " + error.message()};
    return Status::success();
}

}  // namespace

std::vector<std::string> Question::fields() const {
    return {text, answers[0], answers[1], answers[2], answers[3], points, media};
}

Question Question::fromFields(const std::vector<std::string>& fields) {
    Question question;
    auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    question.text = field(0);
    for (std::size_t i = 0; i < 4; ++i) question.answers[i] = field(i + 1);
    question.points = field(5);
    question.media = field(6);
    return question;
}

std::vector<ScoreEntry> rankScores(std::vector<ScoreEntry> rowOrder) {
    std::stable_sort(rowOrder.begin(), rowOrder.end(),
                     [](const ScoreEntry& a, const ScoreEntry& b) {
                         return app::numericValue(a.score) > app::numericValue(b.score);
                     });
    return rowOrder;
}

Result<ModuleFile> ModuleFile::open(const fs::path& path, Access access) {
    const std::string name = path.string();
    std::error_code error;
    // A pipe would block the open and a folder is no file: look before opening anything.
    const fs::file_status link = fs::symlink_status(path, error);
    if (!fs::exists(link)) return Failure{name + ": no such file"};
    const fs::file_status target = fs::status(path, error);
    if (!fs::exists(target)) {
        std::error_code ignored;
        return Failure{name + ": a symbolic link to " + fs::read_symlink(path, ignored).string() +
                       ", which does not exist"};
    }
    if (fs::is_directory(target)) return Failure{name + ": is a folder, not a module file"};
    if (fs::is_fifo(target)) return Failure{name + ": is a named pipe (FIFO), not a module file"};
    if (!fs::is_regular_file(target))
        return Failure{name + ": is a device or socket, not a module file"};
    if (::access(name.c_str(), access == Access::kReadOnly ? R_OK : R_OK | W_OK) != 0)
        return Failure{name + ": cannot be " +
                       (access == Access::kReadOnly ? "read" : "read and written") + ": " +
                       std::generic_category().message(errno)};

    // Reading through a log would create its shared-memory file beside the module and show
    // pages the module itself does not hold; a module the tool made keeps no log.
    if (access == Access::kReadOnly && fs::exists(fs::symlink_status(name + "-wal", error)))
        return Failure{name + ": needs recovering: the write-ahead log beside it (" +
                       path.filename().string() +
                       "-wal) holds writes not in the module, and this command only reads"};

    sqlite3* raw = nullptr;
    const int flags = (access == Access::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX;
    const int opened = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    std::shared_ptr<sqlite3> database(raw, sqlite3_close_v2);
    if (opened != SQLITE_OK)
        return Failure{name +
                       ": cannot be opened: " + (raw ? sqlite3_errmsg(raw) : "out of memory")};

    // The same cipher settings as the game; see modules::ModuleDatabase.
    if (sqlite3_key(raw, modules::kModuleKey, static_cast<int>(std::strlen(modules::kModuleKey))) !=
        SQLITE_OK)
        return Failure{name + ": cannot be opened: the module key cannot be set"};
    sqlite3_exec(raw, "PRAGMA cipher_compatibility = 3;", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(raw, 2000);
    // Any non-null value lets the authorizer allow emptying the asked list.
    sqlite3_set_authorizer(raw, authorize, access == Access::kReadWrite ? raw : nullptr);

    // The first read derives the key: failing here means another key or no database at all,
    // unless the file is locked, damaged past its first page, or waits for recovery.
    SqlError failed;
    if (!runQuery(raw, "SELECT count(*) FROM sqlite_master;", failed)) {
        if ((failed.code & 0xff) == SQLITE_NOTADB)
            return Failure{name +
                           ": not a Vexlor module (it cannot be read with the module key: it is "
                           "another kind of file, a database with another key, or its first page "
                           "is damaged)"};
        std::string why = described(failed, path);
        if (why.rfind("it ", 0) == 0) why.erase(0, 3);
        return Failure{name + ": " + why};
    }
    if (auto missing = notAModule(raw, failed))
        return Failure{name + ": not a Vexlor module (" + *missing + ")"};
    if (failed.code != SQLITE_OK)
        return Failure{name + ": cannot read its tables: " + described(failed, path)};
    return ModuleFile(path, std::move(database));
}

Failure ModuleFile::failure(const std::string& what, const std::string& why) const {
    return Failure{path_.string() + ": cannot " + what + ": " + why};
}

Result<std::vector<Properties>> ModuleFile::properties() {
    auto rows = readTable(Table::kProperties, "read the properties");
    if (!rows) return Failure{rows.error()};
    std::vector<Properties> result;
    for (auto& row : *rows)
        result.push_back(
            {std::move(row[0]), std::move(row[1]), std::move(row[2]), std::move(row[3])});
    return result;
}

Result<std::vector<modules::Row>> ModuleFile::readTable(Table table, const std::string& what) {
    const TableLayout& layout = layoutOf(table);
    // A column of its own named rowid must not decide the order.
    const std::string rowId = rowIdName(database_.get(), layout.name);
    SqlError error{SQLITE_ERROR, "every name of its row id is taken by a column"};
    std::optional<std::vector<modules::Row>> rows;
    if (!rowId.empty())
        rows = runQuery(database_.get(),
                        "SELECT " + columnList(layout) + " FROM " + quoted(layout.name) +
                            " ORDER BY " + rowId + ";",
                        error);
    if (!rows) return failure(what, described(error, path_));
    return std::move(*rows);
}

Result<std::vector<Question>> ModuleFile::questions() {
    auto rows = readTable(Table::kQuestions, "read the questions");
    if (!rows) return Failure{rows.error()};
    std::vector<Question> result;
    result.reserve(rows->size());
    for (const auto& row : *rows) result.push_back(Question::fromFields(row));
    return result;
}

Result<std::vector<ScoreEntry>> ModuleFile::scoresBestFirst() {
    auto rows = readTable(Table::kScores, "read the high scores");
    if (!rows) return Failure{rows.error()};
    std::vector<ScoreEntry> entries;
    for (auto& row : *rows)
        entries.push_back({std::move(row[0]), std::move(row[1]), std::move(row[2])});
    return rankScores(std::move(entries));
}

Result<std::int64_t> ModuleFile::rowCount(Table table) {
    SqlError error;
    auto count = runQuery(database_.get(),
                          "SELECT count(*) FROM " + quoted(layoutOf(table).name) + ";", error);
    if (!count || count->empty()) return failure("count rows", described(error, path_));
    return std::stoll(count->front().front());
}

Result<std::int64_t> ModuleFile::clearAsked() {
    const std::string table = quoted(layoutOf(Table::kAsked).name);
    sqlite3* db = database_.get();
    SqlError error;
    if (!runStatements(db, "BEGIN IMMEDIATE;", error))
        return failure("clear the asked questions", described(error, path_));
    auto count = runQuery(db, "SELECT count(*) FROM " + table + ";", error);
    if (count && !count->empty() && runStatements(db, "DELETE FROM " + table + ";", error) &&
        runStatements(db, "COMMIT;", error))
        return std::stoll(count->front().front());
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    return failure("clear the asked questions", described(error, path_));
}

std::size_t removeStaleTemporaries(const fs::path& folder) {
    // The names temporaryPath gives, and the side files of each: ".NAME.PID-N-N.tmp[-journal]".
    static const std::regex temporaryName(
        R"(^\..+\.([0-9]{1,9})-[0-9]+-[0-9]+\.tmp(-journal|-wal|-shm)?$)");
    const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
    std::size_t removed = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::smatch match;
        if (!std::regex_match(name, match, temporaryName)) continue;
        std::error_code ignored;
        if (!entry->is_regular_file(ignored)) continue;
        const bool old = entry->last_write_time(ignored) < dayAgo && !ignored;
        if (!processIsGone(std::stol(match[1].str())) && !old) continue;
        if (fs::remove(entry->path(), ignored)) ++removed;
    }
    return removed;
}

Status writeModule(const fs::path& out, const Properties& properties,
                   const std::vector<Question>& questions, bool replace) {
    const std::string name = out.string();
    std::error_code error;
    if (out.filename().empty()) return Failure{name + ": not a file name"};
    if (fs::is_directory(out, error)) return Failure{name + ": is a folder"};
    if (!replace && fs::exists(out, error))
        return Failure{name + ": exists already (use --force to replace it)"};
    const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    if (!fs::is_directory(folder, error))
        return Failure{name + ": the folder " + folder.string() + " does not exist"};

    removeStaleTemporaries(folder);

    fs::path temporary;
    std::shared_ptr<ModuleDatabase> database;
    std::string why;
    for (int attempt = 0; attempt < 20 && !database; ++attempt) {
        temporary = temporaryPath(out, attempt);
        if (fs::exists(temporary, error)) continue;
        database = ModuleDatabase::create(temporary.string(), modules::kModuleKey, &why);
        if (database) break;
        // Another process took the name in between: try the next one; anything else is final.
        if (fs::exists(temporary, error) && why == "the file exists already") continue;
        removeQuietly(temporary);
        return Failure{name + ": cannot create a file in " + folder.string() + ": " + why};
    }
    if (!database)
        return Failure{name + ": cannot find a free temporary name in " + folder.string()};

    Status filled = fillModule(*database, properties, questions);
    database.reset();  // closes the file before it moves
    if (!filled) {
        removeQuietly(temporary);
        return Failure{name + ": cannot write the module: " + filled.error()};
    }
    Status moved = moveIntoPlace(temporary, out, replace);
    if (!moved) removeQuietly(temporary);
    return moved;
}

}  // namespace vexlor::authoring
