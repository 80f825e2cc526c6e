#include "vexlor-module/module_file.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <optional>
#include <regex>
#include <system_error>

#include "modules/module_format.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using modules::ModuleDatabase;

namespace {

using Layout = modules::TableFormat;

const Layout& layoutOf(ModuleFile::Table table) {
    return modules::kModuleTables[static_cast<std::size_t>(table)];
}

std::string quoted(std::string_view name) {
    return ModuleDatabase::quoteIdentifier(std::string(name));
}

std::string columnList(const Layout& layout) {
    std::string list;
    for (std::string_view column : layout.columns) {
        if (!list.empty()) list += ", ";
        list += quoted(column);
    }
    return list;
}

std::string insertStatement(const Layout& layout) {
    std::string marks;
    for (std::size_t i = 0; i < layout.columns.size(); ++i) marks += i ? ", ?" : "?";
    return "INSERT INTO " + quoted(layout.name) + " (" + columnList(layout) + ") VALUES (" + marks +
           ");";
}

bool sameName(const std::string& a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Why a database is not a module, or nothing when it has every table and column the game uses.
std::optional<std::string> missingLayout(ModuleDatabase& database) {
    for (const Layout& layout : modules::kModuleTables) {
        const std::string table(layout.name);
        const std::vector<std::string> present = database.columns(table);
        if (present.empty()) return "it has no table " + table;
        for (std::string_view column : layout.columns) {
            const bool found =
                std::any_of(present.begin(), present.end(),
                            [&](const std::string& c) { return sameName(c, column); });
            if (!found) return "its table " + table + " has no column " + std::string(column);
        }
    }
    return std::nullopt;
}

// The refusal of the module store, as a line that follows "<file>: ".
std::string refusal(modules::OpenProblem problem, std::string why, const fs::path& path) {
    using modules::OpenProblem;
    const std::string notAModule = "not a module: ";
    switch (problem) {
        case OpenProblem::kNotAModule:
            return "not a Vexlor module (it cannot be read with the module key: it is another kind "
                   "of file, a database with another key, or its first page is damaged)";
        case OpenProblem::kUnsafeLayout:
            if (why.rfind(notAModule, 0) == 0) why.erase(0, notAModule.size());
            return "not a Vexlor module (" + why + ")";
        case OpenProblem::kNeedsRecovery:
            return "needs recovering: the journal beside it (" + path.filename().string() +
                   "-journal) holds an interrupted write, and this command only reads";
        case OpenProblem::kInUse:
            return "is in use: another program holds it locked";
        default:
            return why;
    }
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

// Adds the questions in the order given, stopping at the first that cannot be stored.
bool insertQuestions(ModuleDatabase& database, const std::vector<Question>& questions,
                     std::string* error) {
    const std::string insert = insertStatement(layoutOf(ModuleFile::Table::kQuestions));
    for (const Question& question : questions)
        if (!database.query(insert, question.fields(), error)) return false;
    return true;
}

Status fillModule(ModuleDatabase& database, const Properties& properties,
                  const std::vector<Question>& questions) {
    std::string error;
    modules::Transaction transaction(database, &error);
    if (!transaction.active()) return Failure{error};
    bool written =
        database.execute(modules::createStatements(), &error) &&
        database.query(insertStatement(layoutOf(ModuleFile::Table::kProperties)),
                       {properties.title, properties.author, properties.company, properties.year},
                       &error) &&
        insertQuestions(database, questions, &error);
    if (written && transaction.commit(&error)) return Status::success();
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

    // The store refuses crafted schemas, foreign journals and logs, and (read-only) a journal
    // that recovery would play back, and lets nothing the file defines run on the connection.
    std::string why;
    modules::OpenProblem problem = modules::OpenProblem::kNone;
    auto database = ModuleDatabase::open(name, modules::kModuleKey, &why, access, &problem);
    if (!database) return Failure{name + ": " + refusal(problem, why, path)};
    if (auto missing = missingLayout(*database))
        return Failure{name + ": not a Vexlor module (" + *missing + ")"};
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

Result<std::vector<modules::Row>> ModuleFile::readTable(
    Table table, const std::string& what, std::string (*order)(std::string_view rowId)) {
    const Layout& layout = layoutOf(table);
    // A column of its own named rowid must not decide the order.
    const std::string rowId = database_->rowIdName(std::string(layout.name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    std::string error;
    auto rows = database_->query("SELECT " + columnList(layout) + " FROM " + quoted(layout.name) +
                                     " ORDER BY " + (order ? order(rowId) : rowId) + ";",
                                 {}, &error);
    if (!rows) return failure(what, error);
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
    // The game's own ranking, so the tool lists the top ten the game shows.
    auto rows = readTable(Table::kScores, "read the high scores",
                          [](std::string_view rowId) { return modules::scoreOrder(rowId, true); });
    if (!rows) return Failure{rows.error()};
    std::vector<ScoreEntry> entries;
    for (auto& row : *rows)
        entries.push_back({std::move(row[0]), std::move(row[1]), std::move(row[2])});
    return entries;
}

Result<std::int64_t> ModuleFile::rowCount(Table table) {
    std::string error;
    auto count = database_->queryIntegers(
        "SELECT count(*) FROM " + quoted(layoutOf(table).name) + ";", {}, &error);
    if (!count || count->empty()) return failure("count rows", error);
    return count->front();
}

Result<std::int64_t> ModuleFile::clearAsked() {
    const std::string table = quoted(layoutOf(Table::kAsked).name);
    std::string error;
    modules::Transaction transaction(*database_, &error);
    if (!transaction.active()) return failure("clear the asked questions", error);
    auto count = database_->queryIntegers("SELECT count(*) FROM " + table + ";", {}, &error);
    if (count && !count->empty() && database_->query("DELETE FROM " + table + ";", {}, &error) &&
        transaction.commit(&error))
        return count->front();
    return failure("clear the asked questions", error);
}

Result<std::int64_t> ModuleFile::appendQuestions(const std::vector<Question>& questions) {
    const std::string what = "add the questions";
    const std::string table = quoted(layoutOf(Table::kQuestions).name);
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kQuestions).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    std::string error;
    modules::Transaction transaction(*database_, &error);
    if (!transaction.active()) return failure(what, error);
    auto counts = database_->queryIntegers("SELECT count(*) FROM " + table +
                                               " UNION ALL SELECT coalesce(max(" + rowId +
                                               "), 0) FROM " + table + ";",
                                           {}, &error);
    if (!counts || counts->size() < 2) return failure(what, error);
    const auto total = (*counts)[0] + static_cast<std::int64_t>(questions.size());
    if (total > kMaxQuestions)
        return failure(what, "the module would hold " + std::to_string(total) +
                                 " questions; the game counts at most " +
                                 std::to_string(kMaxQuestions));
    // Past the largest row id the database picks ids at random, which would reorder questions.
    if ((*counts)[1] > (std::int64_t{1} << 62))
        return failure(what, "its question row ids are too large to add after");
    if (!insertQuestions(*database_, questions, &error)) return failure(what, error);
    if (!transaction.commit(&error)) return failure(what, error);
    return total;
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
