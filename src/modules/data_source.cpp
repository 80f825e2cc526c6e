#include "modules/data_source.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <unordered_set>

#include "modules/module_format.h"
#include "rules/questions.h"
#include "text/text.h"

namespace vexlor::modules {

namespace {

// The password of a connect text such as ";pwd=secret".
std::string keyOf(const std::string& connect) {
    std::size_t start = 0;
    while (start <= connect.size()) {
        std::size_t end = connect.find(';', start);
        if (end == std::string::npos) end = connect.size();
        const std::string_view part(connect.data() + start, end - start);
        if (part.size() >= 4 && text::equalsIgnoringCase(part.substr(0, 4), "pwd="))
            return std::string(part.substr(4));
        start = end + 1;
    }
    return {};
}

struct Criterion {
    std::string field;
    std::string value;
};

// Field = 'text', with optional blanks around the parts and '' for a quote inside the text;
// the field may also be written in brackets.
std::optional<Criterion> parseCriterion(std::string_view text) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    Criterion criterion;
    skipBlanks();
    if (i < text.size() && text[i] == '[') {
        const auto close = text.find(']', i);
        if (close == std::string_view::npos) return std::nullopt;
        criterion.field = std::string(text.substr(i + 1, close - i - 1));
        i = close + 1;
    } else {
        while (i < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
            criterion.field += text[i++];
    }
    if (criterion.field.empty()) return std::nullopt;
    skipBlanks();
    if (i >= text.size() || text[i] != '=') return std::nullopt;
    ++i;
    skipBlanks();
    if (i >= text.size() || text[i] != '\'') return std::nullopt;
    for (++i;; ++i) {
        if (i >= text.size()) return std::nullopt;
        if (text[i] == '\'') {
            if (i + 1 < text.size() && text[i + 1] == '\'') {
                criterion.value += '\'';
                ++i;
                continue;
            }
            ++i;
            break;
        }
        criterion.value += text[i];
    }
    skipBlanks();
    if (i != text.size()) return std::nullopt;
    return criterion;
}

}  // namespace

void DataSource::bindElement(std::string& text, const std::string& field, bool editable) {
    bindings_.push_back(Binding{&text, &field, editable, text, {}});
}

int DataSource::columnIndex(const std::string& field) const {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (text::equalsIgnoringCase(columns_[c], field)) return static_cast<int>(c);
    return -1;
}

Status DataSource::Refresh() {
    const Status stored = storePending();
    CloseDatabase();

    auto opened = ModuleDatabase::open(DatabaseName, keyOf(Connect), Access::kReadWrite);
    if (!opened) return opened.error();
    auto& database = *opened;
    auto columns = database->columns(RecordSource);
    if (columns.empty()) return Error(ErrorKind::kFailed, "no table " + RecordSource, DatabaseName);

    auto rowId = database->rowIdName(RecordSource);
    if (rowId.empty())
        return Error(ErrorKind::kFailed, "the rows of " + RecordSource + " cannot be addressed",
                     DatabaseName);

    database_ = std::move(database);
    table_ = RecordSource;
    columns_ = std::move(columns);
    rowId_ = std::move(rowId);
    dataVersion_ = database_->dataVersion();
    auto first = database_->queryIntegers(firstRowQuery());
    if (!first) {
        CloseDatabase();
        return first.error();
    }
    rows_ = std::move(*first);
    window_ = rows_.empty() ? Window::kAll : Window::kHead;
    if (!rows_.empty()) {
        position_ = 0;
        showCurrent();
    }
    return stored;
}

std::string DataSource::currentRowId() const {
    return std::to_string(rows_[static_cast<std::size_t>(position_)]);
}

std::string DataSource::tableName() const {
    return ModuleDatabase::quoteIdentifier(table_);
}

std::string DataSource::rowQuery(bool reversed, const std::string& tail) const {
    std::string order = rowId_ + (reversed ? " DESC" : " ASC");
    if (ranksScores()) order = scoreOrder(rowId_, reversed);
    return "SELECT " + rowId_ + " FROM " + tableName() + " ORDER BY " + order + tail;
}

std::string DataSource::firstRowQuery() const {
    if (!ranksScores()) return rowQuery(false, " LIMIT 1;");
    // The lowest score, then the latest row with it: two index look-ups where the ranking has an
    // index, as the engine walks such an index one way only when it orders by two keys.
    const std::string value(kScoreValue);
    return "SELECT " + rowId_ + " FROM " + tableName() + " WHERE " + value + " IS (SELECT " +
           value + " FROM " + tableName() + " ORDER BY " + value + " LIMIT 1) ORDER BY " + rowId_ +
           " DESC LIMIT 1;";
}

bool DataSource::ranksScores() const {
    return text::equalsIgnoringCase(table_, kScoresTable.name) && columnIndex("Score") >= 0;
}

Status DataSource::loadAllRows() {
    if (window_ == Window::kAll) return Status::success();
    auto rows = database_->queryIntegers(rowQuery(false, ";"));
    if (!rows) return rows.error();
    // Rows added since the refresh keep their places at the end.
    std::erase_if(*rows, [&](std::int64_t row) {
        return std::find(added_.begin(), added_.end(), row) != added_.end();
    });
    rows->insert(rows->end(), added_.begin(), added_.end());
    // A head keeps its positions; a tail keeps its distance from the end.
    if (window_ == Window::kTail && position_ >= 0)
        position_ = static_cast<long>(rows->size()) - (static_cast<long>(rows_.size()) - position_);
    rows_ = std::move(*rows);
    window_ = Window::kAll;
    return Status::success();
}

Status DataSource::loadLastRows() {
    if (window_ != Window::kHead) return Status::success();
    // Enough to walk back through a top ten without reading the whole table.
    constexpr int kTailRows = 32;
    auto rows =
        database_->queryIntegers(rowQuery(true, " LIMIT " + std::to_string(kTailRows) + ";"));
    if (!rows) return rows.error();
    if (rows->size() < static_cast<std::size_t>(kTailRows)) return loadAllRows();
    std::reverse(rows->begin(), rows->end());
    rows_ = std::move(*rows);
    window_ = Window::kTail;
    return Status::success();
}

Status DataSource::forgetIfChanged() {
    const std::int64_t version = database_->dataVersion();
    if (version == dataVersion_ && version != -1) return Status::success();
    // Another program wrote the file: the searches are dropped, and the list is read again with
    // the current record kept where it still exists. An edit being made is stored first.
    if (Status stored = storePending(); !stored) return stored;
    search_.reset();
    const bool onRecord = !atBOF() && !atEOF() && !deleted_;
    const std::int64_t current = onRecord ? rows_[static_cast<std::size_t>(position_)] : 0;
    auto rows = database_->queryIntegers(rowQuery(false, ";"));
    if (!rows) return rows.error();
    dataVersion_ = version;
    added_.clear();
    window_ = Window::kAll;
    rows_ = std::move(*rows);
    if (onRecord) {
        const auto found = std::find(rows_.begin(), rows_.end(), current);
        position_ = found != rows_.end() ? static_cast<long>(found - rows_.begin())
                                         : std::min(position_, static_cast<long>(rows_.size()));
        showCurrent();
    } else {
        position_ = std::min(position_, static_cast<long>(rows_.size()));
    }
    return Status::success();
}

void DataSource::CloseDatabase() {
    database_.reset();
    columns_.clear();
    rows_.clear();
    added_.clear();
    search_.reset();
    window_ = Window::kAll;
    position_ = -1;
    deleted_ = false;
    adding_ = false;
}

Status DataSource::MoveFirst() {
    if (!database_) return Error("no current record");
    if (Status fresh = forgetIfChanged(); !fresh) return fresh;
    if (rows_.empty()) return Error("no current record");
    if (window_ == Window::kTail)
        if (Status loaded = loadAllRows(); !loaded) return loaded;
    return moveTo(0);
}

Status DataSource::MoveLast() {
    if (!database_) return Error("no current record");
    // The pending edit belongs to the current row of the list about to be replaced.
    if (Status ready = storePending(); !ready) return ready;
    if (Status fresh = forgetIfChanged(); !fresh) return fresh;
    if (rows_.empty()) return Error("no current record");
    if (Status loaded = loadLastRows(); !loaded) return loaded;
    return moveTo(static_cast<long>(rows_.size()) - 1);
}

Status DataSource::MovePrevious() {
    return Move(-1);
}

Status DataSource::MoveNext() {
    return Move(1);
}

Status DataSource::Move(long rows) {
    if (!database_ || (!deleted_ && (atBOF() || atEOF()))) return Error("no current record");
    if (Status fresh = forgetIfChanged(); !fresh) return fresh;
    // Within a tail the list is known up to its end; anything else needs the whole list.
    const long wanted = position_ + rows;
    const bool inTail = window_ == Window::kTail && wanted >= 0;
    if (!inTail)
        if (Status loaded = loadAllRows(); !loaded) return loaded;
    // After a delete the current place lies between two records.
    long target = position_ + rows;
    if (deleted_ && rows > 0) target -= 1;
    target = std::clamp(target, -1L, static_cast<long>(rows_.size()));
    return moveTo(target);
}

long DataSource::RecordCount() {
    // A count that cannot be read is no records: callers treat both alike.
    if (!database_ || !forgetIfChanged() || !loadAllRows()) return 0;
    return static_cast<long>(rows_.size());
}

Status DataSource::FindFirst(const std::string& criterion) {
    if (!database_) return Error("no database");
    const auto parsed = parseCriterion(criterion);
    if (!parsed) return Error("cannot read the criterion: " + criterion);
    return findFirstEqual(parsed->field, parsed->value);
}

Status DataSource::findAsked(int number) {
    return findFirstEqual(std::string(kAskedColumns[0]), rules::askedText(number));
}

Status DataSource::findFirstEqual(const std::string& field, const std::string& value) {
    if (!database_) return Error("no database");
    const int column = columnIndex(field);
    if (column < 0) return Error("no field " + field);
    if (Status ready = storePending(); !ready) return ready;
    if (Status fresh = forgetIfChanged(); !fresh) return fresh;
    if (Status loaded = loadAllRows(); !loaded) return loaded;

    auto found = rows_.end();
    if (ranksScores()) {
        const auto matches = database_->queryIntegers(
            "SELECT " + rowId_ + " FROM " + tableName() + " WHERE " +
                ModuleDatabase::quoteIdentifier(columns_[static_cast<std::size_t>(column)]) +
                " = ?;",
            {value});
        if (!matches) return matches.error();
        const std::unordered_set<std::int64_t> matching(matches->begin(), matches->end());
        found = std::find_if(rows_.begin(), rows_.end(),
                             [&](std::int64_t row) { return matching.contains(row); });
    } else {
        if (!search_ || search_->column != column)
            if (Status built = buildSearch(column); !built) return built;
        const auto matches = search_->rowsByValue.find(value);
        if (matches != search_->rowsByValue.end() && !matches->second.empty()) {
            // Row order: the list is sorted (rows added later have higher ids), so the first
            // match is the lowest matching id, found without walking the list.
            const std::int64_t first = *matches->second.begin();
            found = std::lower_bound(rows_.begin(), rows_.end(), first);
            if (found == rows_.end() || *found != first)
                found = std::find(rows_.begin(), rows_.end(), first);
        }
    }
    noMatch_ = found == rows_.end();
    if (noMatch_) return Status::success();
    return moveTo(static_cast<long>(found - rows_.begin()));
}

Status DataSource::buildSearch(int column) {
    std::string columnList = rowId_;
    for (const auto& name : columns_) columnList += ", " + ModuleDatabase::quoteIdentifier(name);
    auto rows = database_->query("SELECT " + columnList + " FROM " + tableName() + ";");
    if (!rows) return rows.error();
    SearchCache cache;
    cache.column = column;
    cache.records.reserve(rows->size());
    for (auto& row : *rows) {
        const std::int64_t id = std::strtoll(row[0].c_str(), nullptr, 10);
        row.erase(row.begin());
        cache.rowsByValue[row[static_cast<std::size_t>(column)]].insert(id);
        cache.records.emplace(id, std::move(row));
    }
    search_ = std::move(cache);
    return Status::success();
}

void DataSource::searchStored(std::int64_t row, const Row* values) {
    if (!search_) return;
    const auto column = static_cast<std::size_t>(search_->column);
    if (const auto old = search_->records.find(row); old != search_->records.end()) {
        search_->rowsByValue[old->second[column]].erase(row);
        search_->records.erase(old);
    }
    if (!values) return;
    search_->rowsByValue[(*values)[column]].insert(row);
    search_->records.emplace(row, *values);
}

Status DataSource::AddNew() {
    if (!database_) return Error("no database");
    if (Status ready = storePending(); !ready) return ready;
    // An added row comes last: the list must be known up to its end. Whether another program
    // changed it is asked at the move that stores the row.
    if (window_ == Window::kHead)
        if (Status loaded = loadAllRows(); !loaded) return loaded;
    adding_ = true;
    for (auto& binding : bindings_) {
        if (!binding.editable) continue;
        binding.beforeAdd = binding.shown;
        binding.text->clear();
        binding.shown.clear();
    }
    return Status::success();
}

Status DataSource::Delete() {
    if (!database_ || deleted_ || atBOF() || atEOF()) return Error("no current record");
    if (window_ == Window::kHead)
        if (Status loaded = loadAllRows(); !loaded) return loaded;
    adding_ = false;
    auto deleted = database_->write("DELETE FROM " + tableName() + " WHERE " + rowId_ + " = ?;",
                                    {currentRowId()});
    if (!deleted) return deleted.error();
    std::erase(added_, rows_[static_cast<std::size_t>(position_)]);
    searchStored(rows_[static_cast<std::size_t>(position_)], nullptr);
    rows_.erase(rows_.begin() + position_);
    deleted_ = true;
    return Status::success();
}

Status DataSource::storePending() {
    if (!database_) return Status::success();
    std::vector<std::string> fields;
    std::vector<std::string> values;
    std::vector<std::size_t> fieldColumns;
    bool changed = false;
    for (const auto& binding : bindings_) {
        const int column = columnIndex(*binding.field);
        if (!binding.editable || column < 0) continue;
        if (*binding.text == binding.shown && !adding_) continue;
        changed = changed || *binding.text != binding.shown;
        fields.push_back(ModuleDatabase::quoteIdentifier(*binding.field));
        values.push_back(*binding.text);
        fieldColumns.push_back(static_cast<std::size_t>(column));
    }
    // The record as stored, for the search cache: `base` with the written fields.
    auto stored = [&](Row base) {
        for (std::size_t i = 0; i < fieldColumns.size(); ++i) base[fieldColumns[i]] = values[i];
        return base;
    };
    if (adding_) {
        adding_ = false;
        if (!changed) return Status::success();
        std::string sql = "INSERT INTO " + tableName() + " (";
        std::string marks;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            sql += (i ? ", " : "") + fields[i];
            marks += i ? ", ?" : "?";
        }
        auto inserted = database_->write(sql + ") VALUES (" + marks + ");", values);
        if (!inserted) {
            dropPending(true);
            return inserted.error();
        }
        const std::int64_t row = *inserted;
        rows_.push_back(row);
        added_.push_back(row);
        const Row record = stored(Row(columns_.size()));
        searchStored(row, &record);
    } else {
        if (!changed || deleted_ || atBOF() || atEOF()) return Status::success();
        std::string sql = "UPDATE " + tableName() + " SET ";
        for (std::size_t i = 0; i < fields.size(); ++i) sql += (i ? ", " : "") + fields[i] + " = ?";
        values.push_back(currentRowId());
        if (auto updated = database_->write(sql + " WHERE " + rowId_ + " = ?;", values); !updated) {
            dropPending(false);
            return updated.error();
        }
        if (search_) {
            const std::int64_t row = rows_[static_cast<std::size_t>(position_)];
            const auto cached = search_->records.find(row);
            if (cached == search_->records.end()) {
                search_.reset();  // not known: read afresh on the next search
            } else {
                const Row record = stored(cached->second);
                searchStored(row, &record);
            }
        }
    }
    for (auto& binding : bindings_) binding.shown = *binding.text;
    return Status::success();
}

void DataSource::dropPending(bool added) {
    // Without a read: the module may be the very thing that cannot be reached.
    for (auto& binding : bindings_) {
        if (added && binding.editable) binding.shown = binding.beforeAdd;
        *binding.text = binding.shown;
    }
}

Status DataSource::moveTo(long position) {
    if (Status stored = storePending(); !stored) return stored;
    position_ = position;
    deleted_ = false;
    showCurrent();
    return Status::success();
}

void DataSource::showCurrent() {
    std::vector<std::string> values(columns_.size());
    if (!atBOF() && !atEOF()) {
        const std::int64_t row = rows_[static_cast<std::size_t>(position_)];
        const auto cached = search_ ? search_->records.find(row)
                                    : std::unordered_map<std::int64_t, Row>::iterator{};
        if (search_ && cached != search_->records.end()) {
            values = cached->second;
        } else {
            std::string columnList;
            for (std::size_t c = 0; c < columns_.size(); ++c)
                columnList += (c ? ", " : "") + ModuleDatabase::quoteIdentifier(columns_[c]);
            const auto rows = database_->query(
                "SELECT " + columnList + " FROM " + tableName() + " WHERE " + rowId_ + " = ?;",
                {std::to_string(row)});
            if (rows && !rows->empty()) values = (*rows)[0];
        }
    }
    // Off the ends there is no record: the elements show nothing.
    for (auto& binding : bindings_) {
        const int column = columnIndex(*binding.field);
        if (column < 0) continue;
        *binding.text = values[static_cast<std::size_t>(column)];
        binding.shown = *binding.text;
    }
}

}  // namespace vexlor::modules
