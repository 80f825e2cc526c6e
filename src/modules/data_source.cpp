#include "modules/data_source.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <unordered_set>

#include "modules/module_format.h"
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

bool DataSource::fail(std::string message) {
    error_ = std::move(message);
    return false;
}

int DataSource::columnIndex(const std::string& field) const {
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (text::equalsIgnoringCase(columns_[c], field)) return static_cast<int>(c);
    return -1;
}

bool DataSource::Refresh() {
    const bool stored = storePending();
    const std::string storeError = error_;
    CloseDatabase();

    std::string error;
    auto database = ModuleDatabase::open(DatabaseName, keyOf(Connect), &error, Access::kReadWrite,
                                         &openProblem_);
    if (!database) return fail(DatabaseName + ": " + error);
    auto columns = database->columns(RecordSource);
    if (columns.empty()) return fail("no table " + RecordSource);

    auto rowId = database->rowIdName(RecordSource);
    if (rowId.empty()) return fail("the rows of " + RecordSource + " cannot be addressed");

    database_ = std::move(database);
    table_ = RecordSource;
    columns_ = std::move(columns);
    rowId_ = std::move(rowId);
    auto first = database_->queryIntegers(firstRowQuery(), {}, &error);
    if (!first) {
        CloseDatabase();
        return fail(error);
    }
    rows_ = std::move(*first);
    window_ = rows_.empty() ? Window::kAll : Window::kHead;
    if (!rows_.empty()) {
        position_ = 0;
        showCurrent();
    }
    if (!stored) return fail(storeError);
    return true;
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

bool DataSource::loadAllRows() {
    if (window_ == Window::kAll) return true;
    std::string error;
    auto rows = database_->queryIntegers(rowQuery(false, ";"), {}, &error);
    if (!rows) return fail(error);
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
    return true;
}

bool DataSource::loadLastRows() {
    if (window_ != Window::kHead) return true;
    // Enough to walk back through a top ten without reading the whole table.
    constexpr int kTailRows = 32;
    std::string error;
    auto rows = database_->queryIntegers(
        rowQuery(true, " LIMIT " + std::to_string(kTailRows) + ";"), {}, &error);
    if (!rows) return fail(error);
    if (rows->size() < static_cast<std::size_t>(kTailRows)) return loadAllRows();
    std::reverse(rows->begin(), rows->end());
    rows_ = std::move(*rows);
    window_ = Window::kTail;
    return true;
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

bool DataSource::MoveFirst() {
    if (!database_ || rows_.empty()) return fail("no current record");
    if (window_ == Window::kTail && !loadAllRows()) return false;
    return moveTo(0);
}

bool DataSource::MoveLast() {
    if (!database_ || rows_.empty()) return fail("no current record");
    // The pending edit belongs to the current row of the list about to be replaced.
    if (!storePending() || !loadLastRows()) return false;
    return moveTo(static_cast<long>(rows_.size()) - 1);
}

bool DataSource::MovePrevious() {
    return Move(-1);
}

bool DataSource::MoveNext() {
    return Move(1);
}

bool DataSource::Move(long rows) {
    if (!database_ || (!deleted_ && (atBOF() || atEOF()))) return fail("no current record");
    // Within a tail the list is known up to its end; anything else needs the whole list.
    const long wanted = position_ + rows;
    const bool inTail = window_ == Window::kTail && wanted >= 0;
    if (!inTail && !loadAllRows()) return false;
    // After a delete the current place lies between two records.
    long target = position_ + rows;
    if (deleted_ && rows > 0) target -= 1;
    target = std::clamp(target, -1L, static_cast<long>(rows_.size()));
    return moveTo(target);
}

long DataSource::RecordCount() {
    if (!database_ || !loadAllRows()) return 0;
    return static_cast<long>(rows_.size());
}

bool DataSource::FindFirst(const std::string& criterion) {
    if (!database_) return fail("no database");
    const auto parsed = parseCriterion(criterion);
    if (!parsed) return fail("cannot read the criterion: " + criterion);
    return findFirstEqual(parsed->field, parsed->value);
}

bool DataSource::findAsked(int number) {
    return findFirstEqual(std::string(kAskedColumns[0]), std::to_string(number));
}

bool DataSource::findFirstEqual(const std::string& field, const std::string& value) {
    if (!database_) return fail("no database");
    const int column = columnIndex(field);
    if (column < 0) return fail("no field " + field);
    if (!storePending() || !loadAllRows()) return false;

    auto found = rows_.end();
    if (ranksScores()) {
        std::string error;
        const auto matches = database_->queryIntegers(
            "SELECT " + rowId_ + " FROM " + tableName() + " WHERE " +
                ModuleDatabase::quoteIdentifier(columns_[static_cast<std::size_t>(column)]) +
                " = ?;",
            {value}, &error);
        if (!matches) return fail(error);
        const std::unordered_set<std::int64_t> matching(matches->begin(), matches->end());
        found = std::find_if(rows_.begin(), rows_.end(),
                             [&](std::int64_t row) { return matching.contains(row); });
    } else {
        if ((!search_ || search_->column != column) && !buildSearch(column)) return false;
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
    if (noMatch_) return true;
    return moveTo(static_cast<long>(found - rows_.begin()));
}

bool DataSource::buildSearch(int column) {
    std::string columnList = rowId_;
    for (const auto& name : columns_) columnList += ", " + ModuleDatabase::quoteIdentifier(name);
    std::string error;
    auto rows = database_->query("SELECT " + columnList + " FROM " + tableName() + ";", {}, &error);
    if (!rows) return fail(error);
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
    return true;
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

bool DataSource::AddNew() {
    if (!database_) return fail("no database");
    if (!storePending()) return false;
    // An added row comes last: the list must be known up to its end.
    if (window_ == Window::kHead && !loadAllRows()) return false;
    adding_ = true;
    for (auto& binding : bindings_) {
        if (!binding.editable) continue;
        binding.beforeAdd = binding.shown;
        binding.text->clear();
        binding.shown.clear();
    }
    return true;
}

bool DataSource::Delete() {
    if (!database_ || deleted_ || atBOF() || atEOF()) return fail("no current record");
    if (window_ == Window::kHead && !loadAllRows()) return false;
    adding_ = false;
    std::string error;
    if (!database_->write("DELETE FROM " + tableName() + " WHERE " + rowId_ + " = ?;",
                          {currentRowId()}, &error))
        return fail(error);
    std::erase(added_, rows_[static_cast<std::size_t>(position_)]);
    searchStored(rows_[static_cast<std::size_t>(position_)], nullptr);
    rows_.erase(rows_.begin() + position_);
    deleted_ = true;
    return true;
}

bool DataSource::storePending() {
    if (!database_) return true;
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
    std::string error;
    if (adding_) {
        adding_ = false;
        if (!changed) return true;
        std::string sql = "INSERT INTO " + tableName() + " (";
        std::string marks;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            sql += (i ? ", " : "") + fields[i];
            marks += i ? ", ?" : "?";
        }
        std::int64_t row = 0;
        if (!database_->write(sql + ") VALUES (" + marks + ");", values, &error, &row)) {
            dropPending(true);
            return fail(error);
        }
        rows_.push_back(row);
        added_.push_back(row);
        const Row record = stored(Row(columns_.size()));
        searchStored(row, &record);
    } else {
        if (!changed || deleted_ || atBOF() || atEOF()) return true;
        std::string sql = "UPDATE " + tableName() + " SET ";
        for (std::size_t i = 0; i < fields.size(); ++i) sql += (i ? ", " : "") + fields[i] + " = ?";
        values.push_back(currentRowId());
        if (!database_->write(sql + " WHERE " + rowId_ + " = ?;", values, &error)) {
            dropPending(false);
            return fail(error);
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
    return true;
}

void DataSource::dropPending(bool added) {
    // Without a read: the module may be the very thing that cannot be reached.
    for (auto& binding : bindings_) {
        if (added && binding.editable) binding.shown = binding.beforeAdd;
        *binding.text = binding.shown;
    }
}

bool DataSource::moveTo(long position) {
    if (!storePending()) return false;
    position_ = position;
    deleted_ = false;
    showCurrent();
    return true;
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
