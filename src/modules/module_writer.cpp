// Writing modules: a module's changes in one transaction, questions added after the last, and new
// modules built under a temporary name and moved into place whole.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <initializer_list>
#include <optional>
#include <regex>
#include <system_error>
#include <utility>

#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "modules/module_store.h"
#include "modules/temporary_names.h"
#include "platform/descriptor.h"
#include "platform/files.h"
#include "rules/questions.h"
#include "text/i18n.h"

namespace vexlor::modules {

namespace fs = std::filesystem;

namespace {

using platform::Descriptor;

const TableFormat& layoutOf(ModuleStore::Table table) {
    return ModuleStore::format(table);
}

// Why a module of `total` questions cannot be played, or nothing.
std::optional<std::string> tooManyQuestions(std::int64_t total) {
    if (total <= kMaxQuestions) return std::nullopt;
    return i18n::fill(i18n::tx("the module would hold %1 questions; the game counts at most %2"),
                      {std::to_string(total), std::to_string(kMaxQuestions)});
}

std::string quoted(std::string_view name) {
    return ModuleDatabase::quoteIdentifier(std::string(name));
}

std::string columnList(const TableFormat& layout) {
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
                         i18n::fill(i18n::tx("cannot remove the old %1 beside it, which would "
                                             "spoil the new module: %2"),
                                    {side.filename().string(), error.message()}),
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
Status insertRows(ModuleDatabase& database, const TableFormat& layout, std::size_t count,
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
    return insertRows(database, layoutOf(ModuleStore::Table::kQuestions), count,
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

Status insertTexts(ModuleDatabase& database, ModuleStore::Table table,
                   const std::vector<std::string>& texts) {
    return insertRows(
        database, layoutOf(table), texts.size(),
        [&](std::size_t i, std::vector<std::string>& fields) { fields.push_back(texts[i]); });
}

Status insertScores(ModuleDatabase& database, const std::vector<ScoreEntry>& scores) {
    return insertRows(
        database, layoutOf(ModuleStore::Table::kScores), scores.size(),
        [&](std::size_t i, std::vector<std::string>& fields) {
            fields.insert(fields.end(), {scores[i].name, scores[i].date, scores[i].score});
        });
}

Status fillModule(ModuleDatabase& database, const Properties& properties,
                  const std::vector<Question>& questions, const std::vector<std::string>& asked,
                  const std::vector<ScoreEntry>& scores) {
    Transaction transaction(database);
    if (!transaction.active()) return transaction.begun();
    for (const auto& step : std::initializer_list<std::function<Status()>>{
             [&] { return database.execute(createStatements()); },
             [&] {
                 return Status(database.query(
                     std::string(sql::kProperties.insert),
                     {properties.title, properties.author, properties.company, properties.year}));
             },
             [&] { return insertQuestions(database, questions); },
             [&] { return insertTexts(database, ModuleStore::Table::kAsked, asked); },
             [&] { return insertScores(database, scores); }})
        if (Status done = step(); !done) return done;
    return transaction.commit();
}

// Moves the finished module into place; without `replace`, never over an existing file.
// The game playing the module at `out`, or an editor, would go on writing into the file
// replaced, and what it writes would be lost with it.
Status refuseIfOpenElsewhere(const fs::path& out) {
    if (!openElsewhere(out.string())) return Status::success();
    return Error(ErrorKind::kInUse,
                 i18n::tx("is open in another program (the game playing it, or an editor): "
                          "replacing it now would lose what that program writes to it next. Close "
                          "it there first, or choose another name"),
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
        return Error(ErrorKind::kFailed, i18n::tx("exists already (use --force to replace it)"),
                     out.string());
    return Error(ErrorKind::kFailed,
                 i18n::fill(i18n::tx("cannot put the module in place: %1"), {error.message()}),
                 out.string());
}

}  // namespace

Result<std::int64_t> ModuleStore::appendQuestions(const std::vector<Question>& questions,
                                                  std::size_t alsoRead) {
    const std::string what = VX_N("add the questions");
    const auto rowId = rowIdOf(Table::kQuestions, what);
    if (!rowId) return Error{rowId.error()};
    // Declared first so it is closed last, when the transaction holds no lock.
    Reservation reservation(path_);
    Transaction transaction(*database_);
    if (!transaction.active()) return failure(what, transaction.begun().error());
    auto counts = database_->queryIntegers(sql::withRowId(sql::kQuestionCountAndLastRow, *rowId));
    if (!counts) return failure(what, counts.error());
    if (counts->size() < 2) return failure(what, i18n::tx("the engine gave no count"));
    const auto total = (*counts)[0] + static_cast<std::int64_t>(questions.size() + alsoRead);
    if (auto tooMany = tooManyQuestions(total)) return failure(what, *tooMany);
    // Past the largest row id the database picks ids at random, which would reorder questions.
    if ((*counts)[1] > (std::int64_t{1} << 62))
        return failure(what, i18n::tx("its question row ids are too large to add after"));
    if (!reservation.claim(growthBound(questions)))
        return failure(what, i18n::tx("the disk is full"));
    if (Status stored = insertQuestions(*database_, questions); !stored)
        return failure(what, stored.error());
    if (Status committed = transaction.commit(); !committed)
        return failure(what, committed.error());
    return total;
}

namespace {

// Questions into rows of the given ids, many to a statement.
Status insertPlaced(ModuleDatabase& database, const std::string& rowId,
                    const std::vector<std::pair<std::int64_t, const Question*>>& placed) {
    const TableFormat& layout = layoutOf(ModuleStore::Table::kQuestions);
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

Result<ChangesWritten> ModuleStore::writeChanges(const ModuleChanges& changes) {
    const std::string what = VX_N("save the module");
    if (readOnly())
        return Error(ErrorKind::kNoAccess,
                     i18n::fill(i18n::tx("cannot %1: %2"),
                                {i18n::tx(what.c_str()), i18n::tx("it is opened read-only")}),
                     path_.string());
    const auto rowId = rowIdOf(Table::kQuestions, what);
    if (!rowId) return Error{rowId.error()};
    auto failed = [&](const Status& step) { return failure(what, step.error()); };

    // Declared first so it is closed last, when the transaction holds no lock.
    Reservation reservation(path_);
    Transaction transaction(*database_);
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
                         i18n::tx("cannot save the module: another program changed its "
                                  "questions or properties since they were read here. Nothing was "
                                  "saved and the changes made here are kept: reload the module to "
                                  "see the other program's changes and apply these again, or use "
                                  "Save As to keep them in a new file"),
                         path_.string());
    }
    std::vector<std::int64_t> rowIds;
    rowIds.reserve(base.questions.size());
    for (const StoredQuestion& stored : base.questions) rowIds.push_back(stored.rowId);

    // Past the largest row id the database picks ids at random, which would reorder questions.
    if (!changes.rewriteAll && !changes.appended.empty() && !rowIds.empty() &&
        rowIds.back() > (std::int64_t{1} << 62))
        return failure(what, i18n::tx("its question row ids are too large to add after"));

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
    if (!reservation.claim(withSlack(growth))) return failure(what, i18n::tx("the disk is full"));

    if (changes.properties) {
        const Properties& p = *changes.properties;
        const auto propertiesRowId = rowIdOf(Table::kProperties, what);
        if (!propertiesRowId) return Error{propertiesRowId.error()};
        auto first =
            database_->queryIntegers(sql::withRowId(sql::kFirstPropertiesRowId, *propertiesRowId));
        if (!first) return failed(first);
        const Status stored =
            first->empty()
                ? Status(database_->query(std::string(sql::kProperties.insert),
                                          {p.title, p.author, p.company, p.year}))
                : Status(database_->query(
                      sql::withRowId(sql::kUpdateProperties, *propertiesRowId),
                      {p.title, p.author, p.company, p.year, std::to_string(first->front())}));
        if (!stored) return failed(stored);
    }

    if (changes.rewriteAll) {
        if (Status cleared = database_->execute(std::string(sql::kQuestions.clear)); !cleared)
            return failed(cleared);
    } else {
        const std::string deleteHead = sql::withRowId(sql::kDeleteQuestionsHead, *rowId);
        for (std::size_t first = 0; first < changes.deleted.size(); first += kMaxParameters) {
            const std::size_t count = std::min(kMaxParameters, changes.deleted.size() - first);
            std::vector<std::string> ids;
            for (std::size_t i = 0; i < count; ++i)
                ids.push_back(std::to_string(changes.deleted[first + i]));
            if (Status deleted = database_->query(
                    deleteHead + placeholders(count) + std::string(sql::kListEnd), ids);
                !deleted)
                return failed(deleted);
        }
        const std::string update = sql::withRowId(sql::kUpdateQuestion, *rowId);
        for (const auto& [id, question] : changes.updated) {
            std::vector<std::string> fields = question->fields();
            fields.push_back(std::to_string(id));
            if (Status stored = database_->query(update, fields); !stored) return failed(stored);
        }
    }
    if (Status stored = insertPlaced(*database_, *rowId, changes.placed); !stored)
        return failed(stored);
    if (Status stored =
            insertQuestions(*database_, changes.appended.size(),
                            [&](std::size_t i) -> const Question& { return *changes.appended[i]; });
        !stored)
        return failed(stored);

    if (askedRows) {
        const std::vector<std::string> asked = renumberAsked(*askedRows, changes.renumbered);
        if (asked != *askedRows) {
            if (Status cleared = database_->execute(std::string(sql::kAsked.clear)); !cleared)
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
            auto added = database_->queryIntegers(sql::withRowId(sql::kQuestionRowIdsAfter, *rowId),
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
    if (processStart(::getpid()).empty()) return 0;
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
        if (processStart(std::stol(match[1].str())) == match[2].str()) continue;
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
        return Error(ErrorKind::kFailed,
                     i18n::fill(i18n::tx("cannot write the module: %1"), {*tooMany}), out.string());
    return buildNewModule(out, replace, [&](ModuleDatabase& database) {
        return fillModule(database, properties, questions, asked, scores);
    });
}

}  // namespace

Status buildNewModule(const fs::path& out, bool replace,
                      const std::function<Status(ModuleDatabase&)>& fill) {
    const std::string name = out.string();
    std::error_code error;
    auto refuse = [&](std::string why) { return Error(ErrorKind::kFailed, std::move(why), name); };
    if (out.filename().empty()) return refuse(i18n::tx("not a file name"));
    if (fs::is_directory(out, error)) return refuse(i18n::tx("is a folder"));
    if (!replace && fs::exists(out, error))
        return refuse(i18n::tx("exists already (use --force to replace it)"));
    if (Status free = refuseIfOpenElsewhere(out); !free) return free;
    const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    if (!fs::is_directory(folder, error))
        return refuse(i18n::fill(i18n::tx("the folder %1 does not exist"), {folder.string()}));
    removeStaleTemporaries(folder);

    fs::path temporary;
    Descriptor lock;  // closed after the database, so it holds no lock of the library's
    std::shared_ptr<ModuleDatabase> database;
    for (int attempt = 0; attempt < 20 && !database; ++attempt) {
        temporary = temporaryModulePath(out);
        if (fs::exists(temporary, error)) continue;
        auto created = ModuleDatabase::create(temporary.string(), kModuleKey);
        if (created) {
            database = std::move(*created);
            break;
        }
        // Another process took the name in between: try the next one; anything else is final.
        if (fs::exists(temporary, error) && created.error().kind() == ErrorKind::kExists) continue;
        removeQuietly(temporary);
        return refuse(i18n::fill(i18n::tx("cannot create a file in %1: %2"),
                                 {folder.string(), created.error().message()}));
    }
    if (!database)
        return refuse(
            i18n::fill(i18n::tx("cannot find a free temporary name in %1"), {folder.string()}));
    // Marks the file as in the making for the sweep of other runs.
    lock = Descriptor(::open(temporary.c_str(), O_RDONLY | O_CLOEXEC));
    if (lock.get() >= 0) ::flock(lock.get(), LOCK_EX);
    // No journal file: a killed run leaves only the temporary, which the sweep can recognise by
    // its content; pages are written only at the commit, the first page first.
    if (Status set = database->execute("PRAGMA journal_mode = MEMORY; PRAGMA cache_spill = OFF;");
        !set) {
        database.reset();
        removeQuietly(temporary);
        return refuse(i18n::fill(i18n::tx("cannot write the module: %1"), {set.error().message()}));
    }

    Status filled = fill(*database);
    database.reset();  // closes the file before it moves
    if (!filled) {
        removeQuietly(temporary);
        return Error(filled.error().kind(),
                     i18n::fill(i18n::tx("cannot write the module: %1"), {filled.error().what()}),
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

}  // namespace vexlor::modules
