#include "modules/module_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "modules/earlier_format.h"
#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "rules/questions.h"
#include "rules/refusals.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::modules {

namespace fs = std::filesystem;

namespace {

// Why a database is not a module, or nothing when it has every table and column the game uses.
std::optional<std::string> missingLayout(ModuleDatabase& database) {
    for (const TableFormat& layout : kModuleTables) {
        const std::string table(layout.name);
        const std::vector<std::string> present = database.columns(table);
        if (present.empty()) return i18n::fill(i18n::tx("it has no table %1"), {table});
        for (std::string_view column : layout.columns) {
            const bool found = std::any_of(
                present.begin(), present.end(),
                [&](const std::string& c) { return text::equalsIgnoringCase(c, column); });
            if (!found)
                return i18n::fill(i18n::tx("its table %1 has no column %2"), {table, column});
        }
    }
    return std::nullopt;
}

// The refusal of the module store, as a line that follows "<file>: ".
std::string refusal(const Error& error, const fs::path& path) {
    namespace refusals = rules::refusals;
    switch (error.kind()) {
        case ErrorKind::kNotAModule:
            if (isEarlierModule(path.string())) return refusals::toolEarlierFormat(path.string());
            return refusals::inLanguage(refusals::kToolNotAModule);
        case ErrorKind::kUnsafeLayout:
            return refusals::toolWrongLayout(error.message());
        case ErrorKind::kNeedsRecovery:
            return refusals::toolNeedsRecovery(path.filename().string());
        case ErrorKind::kInUse:
            return refusals::inLanguage(refusals::kToolInUse);
        default:
            return error.message();
    }
}

}  // namespace

const TableFormat& ModuleStore::format(Table table) {
    return kModuleTables[static_cast<std::size_t>(table)];
}

const sql::TableStatements& ModuleStore::statements(Table table) {
    return sql::kTableStatements[static_cast<std::size_t>(table)];
}

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

Result<ModuleStore> ModuleStore::open(const fs::path& path, Access access, Layout layout) {
    const std::string name = path.string();
    std::error_code error;
    // A pipe would block the open and a folder is no file: look before opening anything.
    const fs::file_status link = fs::symlink_status(path, error);
    namespace refusals = rules::refusals;
    if (!fs::exists(link))
        return Error(ErrorKind::kNoFile, refusals::inLanguage(refusals::kNoSuchFile), name);
    const fs::file_status target = fs::status(path, error);
    if (!fs::exists(target)) {
        std::error_code ignored;
        return Error(ErrorKind::kNoFile,
                     refusals::toolDanglingLink(fs::read_symlink(path, ignored).string()), name);
    }
    if (fs::is_directory(target))
        return Error(ErrorKind::kNotAFile, refusals::inLanguage(refusals::kToolFolder), name);
    if (fs::is_fifo(target))
        return Error(ErrorKind::kNotAFile, refusals::inLanguage(refusals::kToolPipe), name);
    if (!fs::is_regular_file(target))
        return Error(ErrorKind::kNotAFile, refusals::inLanguage(refusals::kToolDevice), name);

    // The store refuses crafted schemas, foreign journals and logs, and (read-only) a journal
    // that recovery would play back, and lets nothing the file defines run on the connection.
    auto database = ModuleDatabase::open(name, kModuleKey, access);
    if (!database) return Error(database.error().kind(), refusal(database.error(), path), name);
    if (auto missing = layout == Layout::kComplete ? missingLayout(**database) : std::nullopt)
        return Error(ErrorKind::kNotAModule, rules::refusals::toolWrongLayout(*missing), name);
    return ModuleStore(path, std::move(*database));
}

ModuleStore::ModuleStore(fs::path path, std::shared_ptr<ModuleDatabase> database)
    : path_(std::move(path)), database_(std::move(database)) {
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
}

Status ModuleStore::stillThere() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0)
        return Error(ErrorKind::kNoFile,
                     i18n::tx("is no longer there: another program moved or removed it; nothing "
                              "was written (Save As keeps the changes in a new file)"),
                     path_.string());
    if (info.st_dev != device_ || info.st_ino != inode_)
        return Error(ErrorKind::kFailed,
                     i18n::tx("was replaced by another program since it was opened; nothing was "
                              "written (Revert opens the new file, Save As keeps the changes in a "
                              "new file)"),
                     path_.string());
    return Status::success();
}

Result<std::vector<Properties>> ModuleStore::properties() {
    auto rows = readTable(Table::kProperties, VX_N("read the properties"));
    if (!rows) return Error{rows.error()};
    std::vector<Properties> result;
    for (auto& row : *rows)
        result.push_back(
            {std::move(row[0]), std::move(row[1]), std::move(row[2]), std::move(row[3])});
    return result;
}

Result<std::vector<Row>> ModuleStore::readTable(Table table, const std::string& what) {
    // A column of its own named rowid must not decide the order.
    const auto rowId = rowIdOf(table, what);
    if (!rowId) return Error{rowId.error()};
    auto rows = database_->query(sql::withRowId(statements(table).select, *rowId));
    if (!rows) return failure(what, rows.error());
    return std::move(*rows);
}

Result<std::vector<Question>> ModuleStore::questions() {
    auto rows = readTable(Table::kQuestions, VX_N("read the questions"));
    if (!rows) return Error{rows.error()};
    std::vector<Question> result;
    result.reserve(rows->size());
    for (const auto& row : *rows) result.push_back(Question::fromFields(row));
    return result;
}

Result<std::vector<ScoreEntry>> ModuleStore::scoresBestFirst() {
    // The game's own ranking, so the tool lists the top ten the game shows.
    auto rows = readTable(Table::kScores, VX_N("read the high scores"));
    if (!rows) return Error{rows.error()};
    std::vector<ScoreEntry> entries;
    for (auto& row : *rows)
        entries.push_back({std::move(row[0]), std::move(row[1]), std::move(row[2])});
    return entries;
}

Result<std::int64_t> ModuleStore::rowCount(Table table) {
    auto count = database_->queryIntegers(std::string(statements(table).count));
    if (!count) return failure(VX_N("count rows"), count.error());
    if (count->empty()) return failure(VX_N("count rows"), i18n::tx("the engine gave no count"));
    return count->front();
}

Result<std::int64_t> ModuleStore::clearAsked() {
    return emptyTable(Table::kAsked, VX_N("clear the asked questions"));
}

Result<std::int64_t> ModuleStore::clearScores() {
    return emptyTable(Table::kScores, VX_N("clear the high scores"));
}

Result<std::int64_t> ModuleStore::emptyTable(Table which, const std::string& what) {
    forgetIfChanged();
    const ChangeStamp before = kept_.keptAt;
    Result<std::int64_t> count = [&]() -> Result<std::int64_t> {
        Transaction transaction(*database_);
        if (!transaction.active()) return failure(what, transaction.begun().error());
        if (Status same = stillThere(); !same) return same.error();
        auto rows = rowCount(which);
        if (!rows) return rows;
        if (Status cleared = database_->execute(std::string(statements(which).clear)); !cleared)
            return failure(what, cleared.error());
        if (Status committed = transaction.commit(); !committed)
            return failure(what, committed.error());
        return rows;
    }();
    carryForward(before, count ? *count : 0);
    if (count && which == Table::kAsked && kept_.asked) kept_.asked->clear();
    return count;
}

bool ModuleStore::readOnly() const {
    return database_->readOnly();
}

Error ModuleStore::failure(const std::string& english, const Error& why) const {
    // TRANSLATORS: %1 is what could not be done, such as "read the questions".
    const char* cannot = i18n::tx("cannot %1: %2");
    const std::string what = i18n::tx(english.c_str());
    if (why.kind() == ErrorKind::kInUse)
        return Error(ErrorKind::kInUse,
                     i18n::fill(cannot, {what, i18n::tx("the module is in use, another program "
                                                        "(the game saving a score, or another "
                                                        "editor) is writing to it. Nothing was "
                                                        "written; try again in a moment")}),
                     path_.string());
    // A write keeps a journal beside the module, so that an interrupted one can be undone: the
    // engine says only that it cannot open a file.
    const fs::path folder = path_.parent_path().empty() ? fs::path(".") : path_.parent_path();
    if (why.kind() == ErrorKind::kNoAccess && !readOnly() &&
        ::access(folder.c_str(), W_OK | X_OK) != 0)
        return Error(
            ErrorKind::kNoAccess,
            i18n::fill(cannot,
                       {what, i18n::fill(i18n::tx("its folder %1 cannot be written, and every "
                                                  "change to a module writes a journal file "
                                                  "there first, so that an interrupted change "
                                                  "can be undone. Nothing was written; Save As "
                                                  "can keep the changes in a folder you may "
                                                  "write"),
                                         {folder.string()})}),
            path_.string());
    return Error(why.kind(), i18n::fill(cannot, {what, why.message()}), path_.string());
}

Result<std::vector<StoredScore>> ModuleStore::storedScores() {
    return scoresWithRows(sql::kScoresInRowOrder, {});
}

Result<std::vector<StoredScore>> ModuleStore::scoresWithRows(
    std::string_view statement, const std::vector<std::string>& values) {
    const std::string what = VX_N("read the high scores");
    const auto rowId = rowIdOf(Table::kScores, what);
    if (!rowId) return Error{rowId.error()};
    auto rows = database_->query(sql::withRowId(statement, *rowId), values);
    if (!rows) return failure(what, rows.error());
    std::vector<StoredScore> scores;
    scores.reserve(rows->size());
    for (auto& row : *rows)
        scores.push_back({{std::move(row[0]), std::move(row[1]), std::move(row[2])},
                          std::strtoll(row[3].c_str(), nullptr, 10)});
    return scores;
}

Result<std::vector<StoredScore>> ModuleStore::bestScores(std::size_t count) {
    return scoresWithRows(sql::kBestScores, {std::to_string(count)});
}

Result<std::vector<std::string>> ModuleStore::asked() {
    auto rows = readTable(Table::kAsked, VX_N("read the asked questions"));
    if (!rows) return Error{rows.error()};
    std::vector<std::string> asked;
    asked.reserve(rows->size());
    for (auto& row : *rows) asked.push_back(std::move(row[0]));
    return asked;
}

Result<std::vector<std::int64_t>> ModuleStore::questionRowIds() {
    const std::string what = VX_N("read the questions");
    const auto rowId = rowIdOf(Table::kQuestions, what);
    if (!rowId) return Error{rowId.error()};
    auto ids = database_->queryIntegers(sql::withRowId(sql::kQuestionRowIds, *rowId));
    if (!ids) return failure(what, ids.error());
    return std::move(*ids);
}

Status ModuleStore::readContent(ModuleSnapshot& into) {
    auto properties = this->properties();
    if (!properties) return properties.error();
    const std::string what = VX_N("read the questions");
    const auto rowId = rowIdOf(Table::kQuestions, what);
    if (!rowId) return Error{rowId.error()};
    auto rows = database_->query(sql::withRowId(sql::kQuestionsWithRowIds, *rowId));
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

Result<ModuleSnapshot> ModuleStore::snapshot() {
    ReadTransaction reading(*database_);
    ModuleSnapshot taken;
    if (Status read = readContent(taken); !read) return read.error();
    // Read outside one state of the file, the content may be older than any stamp: it is
    // then compared row by row when saved.
    if (reading.active()) taken.stamp = stamp();
    return taken;
}

Status ModuleStore::checkPages() {
    auto verdict = database_->query(std::string(sql::kQuickCheck));
    if (!verdict) return failure(VX_N("check the module"), verdict.error());
    if (verdict->size() != 1 || verdict->front().empty() || verdict->front()[0] != "ok")
        return Error(ErrorKind::kDamaged,
                     i18n::fill(i18n::tx("the module is damaged (%1)"),
                                {verdict->empty() || verdict->front().empty()
                                     ? std::string(i18n::tx("no verdict"))
                                     : verdict->front()[0]}),
                     path_.string());
    return Status::success();
}

Status ModuleStore::deleteScore(const StoredScore& score) {
    const std::string what = VX_N("delete the high score");
    const auto rowId = rowIdOf(Table::kScores, what);
    if (!rowId) return Error{rowId.error()};
    Transaction transaction(*database_);
    if (!transaction.active()) return failure(what, transaction.begun().error());
    if (Status same = stillThere(); !same) return same.error();
    // Compared as stored: another program may have changed the table since it was read.
    auto found = database_->queryIntegers(
        sql::withRowId(sql::kScoreStillStored, *rowId),
        {std::to_string(score.rowId), score.entry.name, score.entry.date, score.entry.score});
    if (!found) return failure(what, found.error());
    if (found->empty()) return failure(what, i18n::tx("the engine gave no count"));
    if (found->front() == 0)
        return failure(what, i18n::tx("it is no longer stored as it was read; read the top ten "
                                      "again"));
    if (Status deleted = database_->query(sql::withRowId(sql::kDeleteScore, *rowId),
                                          {std::to_string(score.rowId)});
        !deleted)
        return failure(what, deleted.error());
    if (Status committed = transaction.commit(); !committed)
        return failure(what, committed.error());
    return Status::success();
}

Result<std::string> ModuleStore::rowIdOf(Table table, const std::string& what) {
    // A column of its own named rowid must not decide the order.
    std::string rowId = database_->rowIdName(std::string(format(table).name));
    if (rowId.empty())
        return failure(what, i18n::tx("every name of its row id is taken by a column"));
    return rowId;
}

ChangeStamp ModuleStore::stamp() {
    return {database_->dataVersion(), database_->ownChanges()};
}

void ModuleStore::forgetIfChanged() {
    const ChangeStamp now = stamp();
    if (!now.same(kept_.keptAt)) kept_ = {now, std::nullopt, std::nullopt};
}

Result<std::optional<Row>> ModuleStore::rowByName(Table table, std::string_view statement,
                                                  const std::vector<std::string>& values,
                                                  const std::string& what) {
    const TableFormat& wanted = format(table);
    const std::vector<std::string> present = database_->columns(std::string(wanted.name));
    // The table's own columns the file has, and where each comes in the row read.
    std::string list;
    std::vector<std::optional<std::size_t>> place(wanted.columns.size());
    std::size_t selected = 0;
    for (std::size_t i = 0; i < wanted.columns.size(); ++i) {
        const bool has = std::any_of(present.begin(), present.end(), [&](const std::string& c) {
            return text::equalsIgnoringCase(c, wanted.columns[i]);
        });
        if (!has) continue;
        list += (selected ? ", " : "") +
                ModuleDatabase::quoteIdentifier(std::string(wanted.columns[i]));
        place[i] = selected++;
    }
    if (selected == 0)
        return failure(what,
                       i18n::fill(i18n::tx("its table %1 has none of its columns"), {wanted.name}));
    const auto rowId = rowIdOf(table, what);
    if (!rowId) return Error{rowId.error()};
    auto rows = database_->query(
        sql::withMarked(sql::withRowId(statement, *rowId), sql::kColumnsMarker, list), values);
    if (!rows) return failure(what, rows.error());
    if (rows->empty()) return std::optional<Row>();
    Row byName(wanted.columns.size());
    for (std::size_t i = 0; i < place.size(); ++i)
        if (place[i]) byName[i] = std::move(rows->front()[*place[i]]);
    return std::optional<Row>(std::move(byName));
}

Result<std::optional<Properties>> ModuleStore::firstProperties() {
    auto row =
        rowByName(Table::kProperties, sql::kFirstPropertiesRow, {}, VX_N("read the properties"));
    if (!row) return Error{row.error()};
    if (!*row) return std::optional<Properties>();
    Row& fields = **row;
    return std::optional<Properties>(Properties{std::move(fields[0]), std::move(fields[1]),
                                                std::move(fields[2]), std::move(fields[3])});
}

Result<const std::vector<std::int64_t>*> ModuleStore::keptQuestionRows() {
    forgetIfChanged();
    if (!kept_.questionRows) {
        auto rows = questionRowIds();
        if (!rows) return Error{rows.error()};
        kept_.questionRows = std::move(*rows);
    }
    return &*kept_.questionRows;
}

Result<std::int64_t> ModuleStore::questionCount() {
    auto rows = keptQuestionRows();
    if (!rows) return Error{rows.error()};
    return static_cast<std::int64_t>((*rows)->size());
}

Result<Question> ModuleStore::question(std::int64_t number) {
    const std::string what = VX_N("read the questions");
    auto kept = keptQuestionRows();
    if (!kept) return Error{kept.error()};
    const std::vector<std::int64_t>& rows = **kept;
    if (number < 1 || number > static_cast<std::int64_t>(rows.size()))
        return failure(what,
                       i18n::fill(i18n::tx("it has no question %1"), {std::to_string(number)}));
    auto row = rowByName(Table::kQuestions, sql::kQuestionAtRow,
                         {std::to_string(rows[static_cast<std::size_t>(number - 1)])}, what);
    if (!row) return Error{row.error()};
    if (!*row)
        return failure(what, i18n::fill(i18n::tx("question %1 is gone"), {std::to_string(number)}));
    return Question::fromFields(**row);
}

std::vector<std::string> ModuleStore::missingAnswerColumns() {
    const std::vector<std::string> present =
        database_->columns(std::string(format(Table::kQuestions).name));
    std::vector<std::string> missing;
    for (std::size_t i = 1; i <= 4; ++i) {
        const std::string_view column = kQuestionColumns[i];
        if (std::none_of(present.begin(), present.end(),
                         [&](const std::string& c) { return text::equalsIgnoringCase(c, column); }))
            missing.emplace_back(column);
    }
    return missing;
}

Result<bool> ModuleStore::isAsked(std::int64_t number) {
    forgetIfChanged();
    if (!kept_.asked) {
        auto entries = asked();
        if (!entries) return Error{entries.error()};
        kept_.asked.emplace(std::make_move_iterator(entries->begin()),
                            std::make_move_iterator(entries->end()));
    }
    return kept_.asked->contains(rules::askedText(number));
}

void ModuleStore::carryForward(const ChangeStamp& before, std::int64_t rowsWritten) {
    const ChangeStamp after = stamp();
    // The write was the file's only change when no other connection committed meanwhile and
    // this one changed exactly the rows it wrote; anything else, and nothing kept is trusted.
    if (!before.same(ChangeStamp{after.dataVersion, before.ownChanges}) ||
        after.ownChanges != before.ownChanges + rowsWritten)
        kept_ = {};
    kept_.keptAt = after;
}

Status ModuleStore::markAsked(std::int64_t number) {
    const std::string entry = rules::askedText(number);
    forgetIfChanged();
    const ChangeStamp before = kept_.keptAt;
    auto stored = database_->write(std::string(sql::kAsked.insert), {entry});
    carryForward(before, stored ? 1 : 0);
    if (!stored) return failure(VX_N("mark the question asked"), stored.error());
    if (kept_.asked) kept_.asked->insert(entry);
    return Status::success();
}

Status ModuleStore::addScore(const ScoreEntry& entry) {
    forgetIfChanged();
    const ChangeStamp before = kept_.keptAt;
    auto stored =
        database_->write(std::string(sql::kScores.insert), {entry.name, entry.date, entry.score});
    carryForward(before, stored ? 1 : 0);
    if (!stored) return failure(VX_N("store the high score"), stored.error());
    return Status::success();
}

}  // namespace vexlor::modules
