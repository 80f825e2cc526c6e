#include "authoring/module_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <optional>
#include <regex>
#include <sstream>
#include <system_error>
#include <utility>

#include "modules/earlier_format.h"
#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "modules/temporary_names.h"
#include "platform/descriptor.h"
#include "platform/files.h"
#include "rules/questions.h"
#include "rules/refusals.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using modules::ModuleDatabase;

namespace {

using platform::Descriptor;

using Layout = modules::TableFormat;

const Layout& layoutOf(ModuleFile::Table table) {
    return modules::kModuleTables[static_cast<std::size_t>(table)];
}

const modules::sql::TableStatements& statementsOf(ModuleFile::Table table) {
    return modules::sql::kTableStatements[static_cast<std::size_t>(table)];
}

// Why a module of `total` questions cannot be played, or nothing.
std::optional<std::string> tooManyQuestions(std::int64_t total) {
    if (total <= kMaxQuestions) return std::nullopt;
    return "the module would hold " + std::to_string(total) +
           " questions; the game counts at most " + std::to_string(kMaxQuestions);
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

std::string placeholders(std::size_t count) {
    std::string marks;
    for (std::size_t i = 0; i < count; ++i) marks += i ? ", ?" : "?";
    return marks;
}

// Why a database is not a module, or nothing when it has every table and column the game uses.
std::optional<std::string> missingLayout(ModuleDatabase& database) {
    for (const Layout& layout : modules::kModuleTables) {
        const std::string table(layout.name);
        const std::vector<std::string> present = database.columns(table);
        if (present.empty()) return "it has no table " + table;
        for (std::string_view column : layout.columns) {
            const bool found = std::any_of(
                present.begin(), present.end(),
                [&](const std::string& c) { return text::equalsIgnoringCase(c, column); });
            if (!found) return "its table " + table + " has no column " + std::string(column);
        }
    }
    return std::nullopt;
}

// The refusal of the module store, as a line that follows "<file>: ".
std::string refusal(const Error& error, const fs::path& path) {
    namespace refusals = rules::refusals;
    switch (error.kind()) {
        case ErrorKind::kNotAModule:
            if (modules::isEarlierModule(path.string()))
                return refusals::toolEarlierFormat(path.string());
            return std::string(refusals::kToolNotAModule);
        case ErrorKind::kUnsafeLayout:
            return refusals::toolWrongLayout(error.message());
        case ErrorKind::kNeedsRecovery:
            return refusals::toolNeedsRecovery(path.filename().string());
        case ErrorKind::kInUse:
            return std::string(refusals::kToolInUse);
        default:
            return error.message();
    }
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
            return Error(ErrorKind::kFailed,
                         "cannot remove the old " + side.filename().string() +
                             " beside it, which would spoil the new module: " + error.message(),
                         out.string());
    }
    return Status::success();
}

// Disk space claimed for a module past its end, its size unchanged. A commit that runs out of
// room after it began rewriting the file rolls back from the journal, and the library encrypts
// each page it puts back with fresh random bytes: every row would be kept, but not the file's
// bytes. Claimed before the first write, the room cannot run out half-way.
class Reservation {
  public:
    explicit Reservation(const fs::path& path)
        : file_(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW)) {}
    ~Reservation() {
        // What the module did not grow into is given back.
        struct stat info {};
        if (claimed_ && ::fstat(file_.get(), &info) == 0)
            ::fallocate(file_.get(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, info.st_size,
                        claimed_);
    }
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;

    /// False only when the disk has no room; a file system that cannot claim space in advance
    /// (or a file this process may not write) goes unreserved.
    bool claim(off_t bytes) {
        struct stat info {};
        if (file_.get() < 0 || ::fstat(file_.get(), &info) != 0) return true;
        if (::fallocate(file_.get(), FALLOC_FL_KEEP_SIZE, info.st_size, bytes) == 0) {
            claimed_ = bytes;
            return true;
        }
        return errno != ENOSPC && errno != EDQUOT;
    }

  private:
    Descriptor file_;
    off_t claimed_ = 0;
};

// A generous bound of what adding the questions grows a module by. Modules have 1 KiB pages (the
// cipher's default, which every module the key opens has). A row too long for its leaf page
// continues on pages of its own, the last one partly empty; leaves lose a twentieth to the
// cipher and some to filling; new interior pages are few.
constexpr off_t kPage = 1024;

off_t questionBound(const Question& question) {
    constexpr off_t kRowOverhead = 32, kLongestInLeaf = 900;
    off_t row = kRowOverhead + static_cast<off_t>(question.text.size() + question.points.size() +
                                                  question.media.size());
    for (const std::string& answer : question.answers) row += static_cast<off_t>(answer.size());
    return row > kLongestInLeaf ? row + kPage : row;
}

// With what the leaves lose: a twentieth to the cipher and some to filling.
off_t withSlack(off_t bytes) {
    return 32 * kPage + bytes + bytes / 4;
}

off_t growthBound(const std::vector<Question>& questions) {
    off_t bytes = 0;
    for (const Question& question : questions) bytes += questionBound(question);
    return withSlack(bytes);
}

// Rows are inserted many to a statement: preparing one statement per row would cost more
// than writing the rows. The engine takes at most 999 parameters in a statement.
constexpr std::size_t kMaxParameters = 999;

// Inserts `count` rows into the table, the fields of row i given by `fieldsOf(i, fields)`,
// in order; stops at the first failure.
template <typename FieldsOf>
Status insertRows(ModuleDatabase& database, const Layout& layout, std::size_t count,
                  FieldsOf fieldsOf) {
    const std::size_t width = layout.columns.size();
    const std::size_t perStatement = kMaxParameters / width;
    const std::string row = "(" + placeholders(width) + ")";
    const std::string head =
        "INSERT INTO " + quoted(layout.name) + " (" + columnList(layout) + ") VALUES ";
    std::vector<std::string> parameters;
    for (std::size_t first = 0; first < count; first += perStatement) {
        const std::size_t rows = std::min(perStatement, count - first);
        std::string sql = head;
        parameters.clear();
        for (std::size_t i = 0; i < rows; ++i) {
            sql += i ? ", " + row : row;
            fieldsOf(first + i, parameters);
        }
        if (Status stored = database.query(sql + ";", parameters); !stored) return stored;
    }
    return Status::success();
}

template <typename QuestionAt>
Status insertQuestions(ModuleDatabase& database, std::size_t count, QuestionAt questionAt) {
    return insertRows(database, layoutOf(ModuleFile::Table::kQuestions), count,
                      [&](std::size_t i, std::vector<std::string>& fields) {
                          const Question& question = questionAt(i);
                          fields.push_back(question.text);
                          fields.insert(fields.end(), question.answers.begin(),
                                        question.answers.end());
                          fields.push_back(question.points);
                          fields.push_back(question.media);
                      });
}

Status insertQuestions(ModuleDatabase& database, const std::vector<Question>& questions) {
    return insertQuestions(database, questions.size(),
                           [&](std::size_t i) -> const Question& { return questions[i]; });
}

Status insertTexts(ModuleDatabase& database, ModuleFile::Table table,
                   const std::vector<std::string>& texts) {
    return insertRows(
        database, layoutOf(table), texts.size(),
        [&](std::size_t i, std::vector<std::string>& fields) { fields.push_back(texts[i]); });
}

Status insertScores(ModuleDatabase& database, const std::vector<ScoreEntry>& scores) {
    return insertRows(
        database, layoutOf(ModuleFile::Table::kScores), scores.size(),
        [&](std::size_t i, std::vector<std::string>& fields) {
            fields.insert(fields.end(), {scores[i].name, scores[i].date, scores[i].score});
        });
}

Status fillModule(ModuleDatabase& database, const Properties& properties,
                  const std::vector<Question>& questions, const std::vector<std::string>& asked,
                  const std::vector<ScoreEntry>& scores) {
    modules::Transaction transaction(database);
    if (!transaction.active()) return transaction.begun();
    for (const auto& step : std::initializer_list<std::function<Status()>>{
             [&] { return database.execute(modules::createStatements()); },
             [&] {
                 return Status(database.query(
                     std::string(modules::sql::kProperties.insert),
                     {properties.title, properties.author, properties.company, properties.year}));
             },
             [&] { return insertQuestions(database, questions); },
             [&] { return insertTexts(database, ModuleFile::Table::kAsked, asked); },
             [&] { return insertScores(database, scores); }})
        if (Status done = step(); !done) return done;
    return transaction.commit();
}

// Moves the finished module into place; without `replace`, never over an existing file.
// The game playing the module at `out`, or an editor, would go on writing into the file
// replaced, and what it writes would be lost with it.
Status refuseIfOpenElsewhere(const fs::path& out) {
    if (!modules::openElsewhere(out.string())) return Status::success();
    return Error(ErrorKind::kInUse,
                 "is open in another program (the game playing it, or an editor): replacing it "
                 "now would lose what that program writes to it next. Close it there first, or "
                 "choose another name",
                 out.string());
}

Status moveIntoPlace(const fs::path& temporary, const fs::path& out, bool replace) {
    if (replace) {
        if (Status free = refuseIfOpenElsewhere(out); !free) return free;
    }
    if (Status cleared = removeSideFiles(out); !cleared) return cleared;
    if (platform::putInPlace(
            temporary, out,
            replace ? platform::Placement::kReplace : platform::Placement::kKeepExisting)) {
        platform::syncFolder(out.parent_path());
        return Status::success();
    }
    const std::error_code error(errno, std::system_category());
    std::error_code ignored;
    if (!replace && (error == std::errc::file_exists || fs::exists(out, ignored)))
        return Error(ErrorKind::kFailed, "exists already (use --force to replace it)",
                     out.string());
    return Error(ErrorKind::kFailed, "cannot put the module in place: " + error.message(),
                 out.string());
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
    namespace refusals = rules::refusals;
    if (!fs::exists(link))
        return Error(ErrorKind::kNoFile, std::string(refusals::kNoSuchFile), name);
    const fs::file_status target = fs::status(path, error);
    if (!fs::exists(target)) {
        std::error_code ignored;
        return Error(ErrorKind::kNoFile,
                     refusals::toolDanglingLink(fs::read_symlink(path, ignored).string()), name);
    }
    if (fs::is_directory(target))
        return Error(ErrorKind::kNotAFile, std::string(refusals::kToolFolder), name);
    if (fs::is_fifo(target))
        return Error(ErrorKind::kNotAFile, std::string(refusals::kToolPipe), name);
    if (!fs::is_regular_file(target))
        return Error(ErrorKind::kNotAFile, std::string(refusals::kToolDevice), name);

    // The store refuses crafted schemas, foreign journals and logs, and (read-only) a journal
    // that recovery would play back, and lets nothing the file defines run on the connection.
    auto database = ModuleDatabase::open(name, modules::kModuleKey, access);
    if (!database) return Error(database.error().kind(), refusal(database.error(), path), name);
    if (auto missing = missingLayout(**database))
        return Error(ErrorKind::kNotAModule, rules::refusals::toolWrongLayout(*missing), name);
    return ModuleFile(path, std::move(*database));
}

ModuleFile::ModuleFile(fs::path path, std::shared_ptr<ModuleDatabase> database)
    : path_(std::move(path)), database_(std::move(database)) {
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
}

Status ModuleFile::stillThere() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0)
        return Error(ErrorKind::kNoFile,
                     "is no longer there: another program moved or removed it; nothing was "
                     "written (Save As keeps the changes in a new file)",
                     path_.string());
    if (info.st_dev != device_ || info.st_ino != inode_)
        return Error(ErrorKind::kFailed,
                     "was replaced by another program since it was opened; nothing was written "
                     "(Revert opens the new file, Save As keeps the changes in a new file)",
                     path_.string());
    return Status::success();
}

Result<std::vector<Properties>> ModuleFile::properties() {
    auto rows = readTable(Table::kProperties, "read the properties");
    if (!rows) return Error{rows.error()};
    std::vector<Properties> result;
    for (auto& row : *rows)
        result.push_back(
            {std::move(row[0]), std::move(row[1]), std::move(row[2]), std::move(row[3])});
    return result;
}

Result<std::vector<modules::Row>> ModuleFile::readTable(Table table, const std::string& what) {
    // A column of its own named rowid must not decide the order.
    const std::string rowId = database_->rowIdName(std::string(layoutOf(table).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    auto rows = database_->query(modules::sql::withRowId(statementsOf(table).select, rowId));
    if (!rows) return failure(what, rows.error());
    return std::move(*rows);
}

Result<std::vector<Question>> ModuleFile::questions() {
    auto rows = readTable(Table::kQuestions, "read the questions");
    if (!rows) return Error{rows.error()};
    std::vector<Question> result;
    result.reserve(rows->size());
    for (const auto& row : *rows) result.push_back(Question::fromFields(row));
    return result;
}

Result<std::vector<ScoreEntry>> ModuleFile::scoresBestFirst() {
    // The game's own ranking, so the tool lists the top ten the game shows.
    auto rows = readTable(Table::kScores, "read the high scores");
    if (!rows) return Error{rows.error()};
    std::vector<ScoreEntry> entries;
    for (auto& row : *rows)
        entries.push_back({std::move(row[0]), std::move(row[1]), std::move(row[2])});
    return entries;
}

Result<std::int64_t> ModuleFile::rowCount(Table table) {
    auto count = database_->queryIntegers(std::string(statementsOf(table).count));
    if (!count) return failure("count rows", count.error());
    if (count->empty()) return failure("count rows", "the engine gave no count");
    return count->front();
}

Result<std::int64_t> ModuleFile::clearAsked() {
    return emptyTable(Table::kAsked, "clear the asked questions");
}

Result<std::int64_t> ModuleFile::clearScores() {
    return emptyTable(Table::kScores, "clear the high scores");
}

Result<std::int64_t> ModuleFile::emptyTable(Table which, const std::string& what) {
    modules::Transaction transaction(*database_);
    if (!transaction.active()) return failure(what, transaction.begun().error());
    if (Status same = stillThere(); !same) return same.error();
    auto count = rowCount(which);
    if (!count) return count;
    if (Status cleared = database_->execute(std::string(statementsOf(which).clear)); !cleared)
        return failure(what, cleared.error());
    if (Status committed = transaction.commit(); !committed)
        return failure(what, committed.error());
    return count;
}

Result<std::int64_t> ModuleFile::appendQuestions(const std::vector<Question>& questions,
                                                 std::size_t alsoRead) {
    const std::string what = "add the questions";
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kQuestions).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    // Declared first so it is closed last, when the transaction holds no lock.
    Reservation reservation(path_);
    modules::Transaction transaction(*database_);
    if (!transaction.active()) return failure(what, transaction.begun().error());
    auto counts = database_->queryIntegers(
        modules::sql::withRowId(modules::sql::kQuestionCountAndLastRow, rowId));
    if (!counts) return failure(what, counts.error());
    if (counts->size() < 2) return failure(what, "the engine gave no count");
    const auto total = (*counts)[0] + static_cast<std::int64_t>(questions.size() + alsoRead);
    if (auto tooMany = tooManyQuestions(total)) return failure(what, *tooMany);
    // Past the largest row id the database picks ids at random, which would reorder questions.
    if ((*counts)[1] > (std::int64_t{1} << 62))
        return failure(what, "its question row ids are too large to add after");
    if (!reservation.claim(growthBound(questions))) return failure(what, "the disk is full");
    if (Status stored = insertQuestions(*database_, questions); !stored)
        return failure(what, stored.error());
    if (Status committed = transaction.commit(); !committed)
        return failure(what, committed.error());
    return total;
}

bool ModuleFile::readOnly() const {
    return database_->readOnly();
}

Error ModuleFile::failure(const std::string& what, const Error& why) const {
    if (why.kind() == ErrorKind::kInUse)
        return Error(ErrorKind::kInUse,
                     "cannot " + what +
                         ": the module is in use, another program (the game saving a score, or "
                         "another editor) is writing to it. Nothing was written; try again in a "
                         "moment",
                     path_.string());
    // A write keeps a journal beside the module, so that an interrupted one can be undone: the
    // engine says only that it cannot open a file.
    const fs::path folder = path_.parent_path().empty() ? fs::path(".") : path_.parent_path();
    if (why.kind() == ErrorKind::kNoAccess && !readOnly() &&
        ::access(folder.c_str(), W_OK | X_OK) != 0)
        return Error(ErrorKind::kNoAccess,
                     "cannot " + what + ": its folder " + folder.string() +
                         " cannot be written, and every change to a module writes a journal file "
                         "there first, so that an interrupted change can be undone. Nothing was "
                         "written; Save As can keep the changes in a folder you may write",
                     path_.string());
    return Error(why.kind(), "cannot " + what + ": " + why.message(), path_.string());
}

Result<std::vector<StoredScore>> ModuleFile::storedScores() {
    return scoresWithRows(modules::sql::kScoresInRowOrder, {});
}

Result<std::vector<StoredScore>> ModuleFile::scoresWithRows(
    std::string_view statement, const std::vector<std::string>& values) {
    const std::string what = "read the high scores";
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kScores).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    auto rows = database_->query(modules::sql::withRowId(statement, rowId), values);
    if (!rows) return failure(what, rows.error());
    std::vector<StoredScore> scores;
    scores.reserve(rows->size());
    for (auto& row : *rows)
        scores.push_back({{std::move(row[0]), std::move(row[1]), std::move(row[2])},
                          std::strtoll(row[3].c_str(), nullptr, 10)});
    return scores;
}

Result<std::vector<StoredScore>> ModuleFile::bestScores(std::size_t count) {
    return scoresWithRows(modules::sql::kBestScores, {std::to_string(count)});
}

Result<std::vector<std::string>> ModuleFile::asked() {
    auto rows = readTable(Table::kAsked, "read the asked questions");
    if (!rows) return Error{rows.error()};
    std::vector<std::string> asked;
    asked.reserve(rows->size());
    for (auto& row : *rows) asked.push_back(std::move(row[0]));
    return asked;
}

Result<std::vector<std::int64_t>> ModuleFile::questionRowIds() {
    const std::string what = "read the questions";
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kQuestions).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    auto ids =
        database_->queryIntegers("SELECT " + rowId + " FROM \"MainData\" ORDER BY " + rowId + ";");
    if (!ids) return failure(what, ids.error());
    return std::move(*ids);
}

ChangeStamp ModuleFile::stamp() {
    return {database_->dataVersion(), database_->ownChanges()};
}

Status ModuleFile::readContent(ModuleSnapshot& into) {
    auto properties = this->properties();
    if (!properties) return properties.error();
    const std::string what = "read the questions";
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kQuestions).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    auto rows =
        database_->query(modules::sql::withRowId(modules::sql::kQuestionsWithRowIds, rowId));
    if (!rows) return failure(what, rows.error());
    into.properties = std::move(*properties);
    into.questions.clear();
    into.questions.reserve(rows->size());
    for (auto& row : *rows) {
        const std::int64_t id = std::strtoll(row.back().c_str(), nullptr, 10);
        row.pop_back();
        into.questions.push_back({id, Question::fromFields(row)});
    }
    return Status::success();
}

Result<ModuleSnapshot> ModuleFile::snapshot() {
    modules::ReadTransaction reading(*database_);
    ModuleSnapshot taken;
    if (Status read = readContent(taken); !read) return read.error();
    // Read outside one state of the file, the content may be older than any stamp: it is
    // then compared row by row when saved.
    if (reading.active()) taken.stamp = stamp();
    return taken;
}

Status ModuleFile::checkPages() {
    auto verdict = database_->query("PRAGMA quick_check;");
    if (!verdict) return failure("check the module", verdict.error());
    if (verdict->size() != 1 || verdict->front().empty() || verdict->front()[0] != "ok")
        return Error(ErrorKind::kDamaged,
                     "the module is damaged (" +
                         (verdict->empty() || verdict->front().empty() ? std::string("no verdict")
                                                                       : verdict->front()[0]) +
                         ")",
                     path_.string());
    return Status::success();
}

Status ModuleFile::deleteScore(const StoredScore& score) {
    const std::string what = "delete the high score";
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kScores).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    modules::Transaction transaction(*database_);
    if (!transaction.active()) return failure(what, transaction.begun().error());
    if (Status same = stillThere(); !same) return same.error();
    // Compared as stored: another program may have changed the table since it was read.
    auto found = database_->queryIntegers(
        "SELECT count(*) FROM \"HScore\" WHERE " + rowId +
            " = ? AND coalesce(\"Nom\", '') = ? AND coalesce(\"Date\", '') = ? AND "
            "coalesce(\"Score\", '') = ?;",
        {std::to_string(score.rowId), score.entry.name, score.entry.date, score.entry.score});
    if (!found) return failure(what, found.error());
    if (found->empty()) return failure(what, "the engine gave no count");
    if (found->front() == 0)
        return failure(what, "it is no longer stored as it was read; read the top ten again");
    if (Status deleted = database_->query("DELETE FROM \"HScore\" WHERE " + rowId + " = ?;",
                                          {std::to_string(score.rowId)});
        !deleted)
        return failure(what, deleted.error());
    if (Status committed = transaction.commit(); !committed)
        return failure(what, committed.error());
    return Status::success();
}

namespace {

// Questions into rows of the given ids, many to a statement.
Status insertPlaced(ModuleDatabase& database, const std::string& rowId,
                    const std::vector<std::pair<std::int64_t, const Question*>>& placed) {
    const Layout& layout = layoutOf(ModuleFile::Table::kQuestions);
    const std::size_t width = layout.columns.size() + 1;
    const std::size_t perStatement = kMaxParameters / width;
    const std::string row = "(" + placeholders(width) + ")";
    const std::string head = "INSERT INTO " + quoted(layout.name) + " (" + rowId + ", " +
                             columnList(layout) + ") VALUES ";
    std::vector<std::string> parameters;
    for (std::size_t first = 0; first < placed.size(); first += perStatement) {
        const std::size_t rows = std::min(perStatement, placed.size() - first);
        std::string sql = head;
        parameters.clear();
        for (std::size_t i = 0; i < rows; ++i) {
            sql += i ? ", " + row : row;
            const auto& [id, question] = placed[first + i];
            parameters.push_back(std::to_string(id));
            parameters.push_back(question->text);
            parameters.insert(parameters.end(), question->answers.begin(), question->answers.end());
            parameters.push_back(question->points);
            parameters.push_back(question->media);
        }
        if (Status stored = database.query(sql + ";", parameters); !stored) return stored;
    }
    return Status::success();
}

}  // namespace

std::vector<std::string> renumberAsked(const std::vector<std::string>& asked,
                                       const std::vector<std::int64_t>& renumbered) {
    std::vector<std::string> kept;
    kept.reserve(asked.size());
    const auto known = static_cast<std::int64_t>(renumbered.size());
    for (const std::string& entry : asked) {
        const std::int64_t number = rules::askedNumber(entry);
        // An entry naming no question of the module is of no use to the game: it goes.
        if (number < 1 || number > known) continue;
        if (const std::int64_t now = renumbered[static_cast<std::size_t>(number - 1)])
            kept.push_back(rules::askedText(now));
    }
    return kept;
}

Result<ChangesWritten> ModuleFile::writeChanges(const ModuleChanges& changes) {
    const std::string what = "save the module";
    if (readOnly())
        return Error(ErrorKind::kNoAccess, "cannot " + what + ": it is opened read-only",
                     path_.string());
    const std::string rowId = database_->rowIdName(std::string(layoutOf(Table::kQuestions).name));
    if (rowId.empty()) return failure(what, "every name of its row id is taken by a column");
    auto failed = [&](const Status& step) { return failure(what, step.error()); };

    // Declared first so it is closed last, when the transaction holds no lock.
    Reservation reservation(path_);
    modules::Transaction transaction(*database_);
    if (!transaction.active()) return failed(transaction.begun());
    // Checked with the write lock held: a file moved into place by another program's save
    // must not be taken for this one.
    if (Status same = stillThere(); !same) return same.error();

    // Nothing another program wrote into the rows may be written over: what it changed since
    // the base was read would be put back silently.
    const ModuleSnapshot& base = *changes.base;
    if (!stamp().same(base.stamp)) {
        ModuleSnapshot now;
        if (Status read = readContent(now); !read) return read.error();
        if (now.properties != base.properties || now.questions != base.questions)
            return Error(ErrorKind::kChanged,
                         "cannot save the module: another program changed its questions or "
                         "properties since they were read here. Nothing was saved and the changes "
                         "made here are kept: reload the module to see the other program's "
                         "changes and apply these again, or use Save As to keep them in a new file",
                         path_.string());
    }
    std::vector<std::int64_t> rowIds;
    rowIds.reserve(base.questions.size());
    for (const StoredQuestion& stored : base.questions) rowIds.push_back(stored.rowId);

    // Past the largest row id the database picks ids at random, which would reorder questions.
    if (!changes.rewriteAll && !changes.appended.empty() && !rowIds.empty() &&
        rowIds.back() > (std::int64_t{1} << 62))
        return failure(what, "its question row ids are too large to add after");

    // The asked list is read only when it is to be renumbered: it may be as long as the
    // questions.
    std::optional<std::vector<std::string>> askedRows;
    ChangesWritten written;
    if (!changes.renumbered.empty()) {
        auto read = this->asked();
        if (!read) return Error{read.error()};
        askedRows = std::move(*read);
        written.askedBefore = askedRows->size();
    } else {
        auto count = rowCount(Table::kAsked);
        if (!count) return Error{count.error()};
        written.askedBefore = static_cast<std::size_t>(*count);
    }
    written.askedAfter = written.askedBefore;

    // Room for the rows written, claimed before the first write (see Reservation).
    off_t growth = askedRows ? static_cast<off_t>(askedRows->size()) * 16 : 0;
    for (const auto& update : changes.updated) growth += questionBound(*update.second);
    for (const Question* question : changes.appended) growth += questionBound(*question);
    for (const auto& placed : changes.placed) growth += questionBound(*placed.second);
    if (!reservation.claim(withSlack(growth))) return failure(what, "the disk is full");

    const std::string table = quoted(layoutOf(Table::kQuestions).name);
    if (changes.properties) {
        const Properties& p = *changes.properties;
        const std::string propertiesRowId =
            database_->rowIdName(std::string(layoutOf(Table::kProperties).name));
        if (propertiesRowId.empty())
            return failure(what, "every name of its row id is taken by a column");
        auto first =
            database_->queryIntegers("SELECT " + propertiesRowId + " FROM \"Propriete\" ORDER BY " +
                                     propertiesRowId + " LIMIT 1;");
        if (!first) return failed(first);
        const Status stored =
            first->empty()
                ? Status(database_->query(std::string(modules::sql::kProperties.insert),
                                          {p.title, p.author, p.company, p.year}))
                : Status(database_->query(
                      "UPDATE \"Propriete\" SET \"Title\" = ?, \"Author\" = ?, "
                      "\"Company\" = ?, \"Year\" = ? WHERE " +
                          propertiesRowId + " = ?;",
                      {p.title, p.author, p.company, p.year, std::to_string(first->front())}));
        if (!stored) return failed(stored);
    }

    if (changes.rewriteAll) {
        if (Status cleared = database_->execute(std::string(modules::sql::kQuestions.clear));
            !cleared)
            return failed(cleared);
    } else {
        for (std::size_t first = 0; first < changes.deleted.size(); first += kMaxParameters) {
            const std::size_t count = std::min(kMaxParameters, changes.deleted.size() - first);
            std::vector<std::string> ids;
            for (std::size_t i = 0; i < count; ++i)
                ids.push_back(std::to_string(changes.deleted[first + i]));
            if (Status deleted = database_->query("DELETE FROM " + table + " WHERE " + rowId +
                                                      " IN (" + placeholders(count) + ");",
                                                  ids);
                !deleted)
                return failed(deleted);
        }
        std::string update = "UPDATE " + table + " SET ";
        for (std::size_t i = 0; i < kQuestionColumns.size(); ++i)
            update += (i ? ", " : "") + quoted(kQuestionColumns[i]) + " = ?";
        update += " WHERE " + rowId + " = ?;";
        for (const auto& [id, question] : changes.updated) {
            std::vector<std::string> fields = question->fields();
            fields.push_back(std::to_string(id));
            if (Status stored = database_->query(update, fields); !stored) return failed(stored);
        }
    }
    if (Status stored = insertPlaced(*database_, rowId, changes.placed); !stored)
        return failed(stored);
    if (Status stored =
            insertQuestions(*database_, changes.appended.size(),
                            [&](std::size_t i) -> const Question& { return *changes.appended[i]; });
        !stored)
        return failed(stored);

    if (askedRows) {
        const std::vector<std::string> asked = renumberAsked(*askedRows, changes.renumbered);
        if (asked != *askedRows) {
            if (Status cleared = database_->execute(std::string(modules::sql::kAsked.clear));
                !cleared)
                return failed(cleared);
            if (Status stored = insertTexts(*database_, Table::kAsked, asked); !stored)
                return failed(stored);
        }
        written.askedAfter = asked.size();
    }

    // The row ids now: those kept, and those the added rows got, read only when all rows
    // were written anew.
    if (changes.rewriteAll) {
        auto after = questionRowIds();
        if (!after) return Error{after.error()};
        written.rowIds = std::move(*after);
    } else {
        std::vector<std::int64_t> gone = changes.deleted;
        std::sort(gone.begin(), gone.end());
        for (std::int64_t id : rowIds)
            if (!std::binary_search(gone.begin(), gone.end(), id)) written.rowIds.push_back(id);
        for (const auto& placed : changes.placed) written.rowIds.push_back(placed.first);
        std::sort(written.rowIds.begin(), written.rowIds.end());
        if (!changes.appended.empty()) {
            const std::int64_t last = written.rowIds.empty() ? 0 : written.rowIds.back();
            auto added = database_->queryIntegers("SELECT " + rowId + " FROM " + table + " WHERE " +
                                                      rowId + " > ? ORDER BY " + rowId + ";",
                                                  {std::to_string(last)});
            if (!added) return failed(added);
            written.rowIds.insert(written.rowIds.end(), added->begin(), added->end());
        }
    }
    // Read in the transaction, before the commit: the data version stays as it is after this
    // connection's own commit.
    written.stamp = stamp();
    if (Status committed = transaction.commit(); !committed) return failed(committed);
    written.stamp.ownChanges = database_->ownChanges();
    return written;
}

std::size_t removeStaleTemporaries(const fs::path& folder) {
    // The names temporaryModulePath gives: ".NAME.vexlor-module-PID-START-N.vxm.tmp".
    static const std::regex temporaryName(
        R"(^\..+\.vexlor-module-([0-9]{1,10})-([0-9]{1,20})-[0-9]{1,10}\.vxm\.tmp$)");
    // Without the process table no creator can be told gone: nothing is removed.
    if (modules::processStart(::getpid()).empty()) return 0;
    std::size_t removed = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path path = entry->path();
        std::smatch match;
        const std::string name = path.filename().string();
        if (!std::regex_match(name, match, temporaryName)) continue;
        std::error_code ignored;
        if (!entry->is_regular_file(ignored) || entry->is_symlink(ignored)) continue;
        // The process that made it still runs (a reused pid began later).
        if (modules::processStart(std::stol(match[1].str())) == match[2].str()) continue;
        // Its maker locks it while it lives, also from a process this one cannot see.
        const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat info {};
        if (file.get() < 0 || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0 ||
            ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        // Whatever it holds: a run killed while it wrote the module leaves half a file that
        // opens as nothing, and the name with its dead run's pid and start is the tool's alone.
        removeQuietly(path);
        ++removed;
    }
    return removed;
}

namespace {

Status buildModule(const fs::path& out, const Properties& properties,
                   const std::vector<Question>& questions, const std::vector<std::string>& asked,
                   const std::vector<ScoreEntry>& scores, bool replace, std::size_t alsoRead) {
    if (auto tooMany = tooManyQuestions(static_cast<std::int64_t>(questions.size() + alsoRead)))
        return Error(ErrorKind::kFailed, "cannot write the module: " + *tooMany, out.string());
    return buildNewModule(out, replace, [&](ModuleDatabase& database) {
        return fillModule(database, properties, questions, asked, scores);
    });
}

}  // namespace

Status buildNewModule(const fs::path& out, bool replace,
                      const std::function<Status(modules::ModuleDatabase&)>& fill) {
    const std::string name = out.string();
    std::error_code error;
    auto refuse = [&](std::string why) { return Error(ErrorKind::kFailed, std::move(why), name); };
    if (out.filename().empty()) return refuse("not a file name");
    if (fs::is_directory(out, error)) return refuse("is a folder");
    if (!replace && fs::exists(out, error))
        return refuse("exists already (use --force to replace it)");
    if (Status free = refuseIfOpenElsewhere(out); !free) return free;
    const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    if (!fs::is_directory(folder, error))
        return refuse("the folder " + folder.string() + " does not exist");
    removeStaleTemporaries(folder);

    fs::path temporary;
    Descriptor lock;  // closed after the database, so it holds no lock of the library's
    std::shared_ptr<ModuleDatabase> database;
    for (int attempt = 0; attempt < 20 && !database; ++attempt) {
        temporary = modules::temporaryModulePath(out);
        if (fs::exists(temporary, error)) continue;
        auto created = ModuleDatabase::create(temporary.string(), modules::kModuleKey);
        if (created) {
            database = std::move(*created);
            break;
        }
        // Another process took the name in between: try the next one; anything else is final.
        if (fs::exists(temporary, error) && created.error().kind() == ErrorKind::kExists) continue;
        removeQuietly(temporary);
        return refuse("cannot create a file in " + folder.string() + ": " +
                      created.error().message());
    }
    if (!database) return refuse("cannot find a free temporary name in " + folder.string());
    // Marks the file as in the making for the sweep of other runs.
    lock = Descriptor(::open(temporary.c_str(), O_RDONLY | O_CLOEXEC));
    if (lock.get() >= 0) ::flock(lock.get(), LOCK_EX);
    // No journal file: a killed run leaves only the temporary, which the sweep can recognise by
    // its content; pages are written only at the commit, the first page first.
    if (Status set = database->execute("PRAGMA journal_mode = MEMORY; PRAGMA cache_spill = OFF;");
        !set) {
        database.reset();
        removeQuietly(temporary);
        return refuse("cannot write the module: " + set.error().message());
    }

    Status filled = fill(*database);
    database.reset();  // closes the file before it moves
    if (!filled) {
        removeQuietly(temporary);
        return Error(filled.error().kind(), "cannot write the module: " + filled.error().what(),
                     name);
    }
    Status moved = moveIntoPlace(temporary, out, replace);
    if (!moved) removeQuietly(temporary);
    return moved;
}

Status writeModule(const fs::path& out, const Properties& properties,
                   const std::vector<Question>& questions, bool replace, std::size_t alsoRead) {
    return buildModule(out, properties, questions, {}, {}, replace, alsoRead);
}

Status writeModule(const fs::path& out, const Properties& properties,
                   const std::vector<Question>& questions, const std::vector<std::string>& asked,
                   const std::vector<ScoreEntry>& scores, bool replace) {
    return buildModule(out, properties, questions, asked, scores, replace, 0);
}

}  // namespace vexlor::authoring
