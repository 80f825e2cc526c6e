#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "modules/module_database.h"

namespace vexlor::modules {

/// A data source of a window: bound to one table of a module file, it has a current record
/// whose fields its bound elements show. Bound text boxes are editable: a text changed since the
/// record was shown (or any text put in after AddNew) is stored on the next move, search or
/// refresh. Every operation gives the engine's failure, and then changes nothing.
///
/// Records come in the module's delivery order: row order, except "HScore", which comes by
/// numeric score ascending (the best last; of equal scores the earlier entry ranks higher).
/// Records added while the source is open come last until the next refresh. A refresh reads only
/// the first record, and a move to the last record only the last few: the whole list is read
/// when first needed, so opening a large table and walking back from its end cost a few reads.
///
/// A pending edit whose store fails (a locked or read-only module, a full disk) is dropped: the
/// table stays as it was, the bound elements show the current record again, and the operation
/// that stored it fails. A failed store never changes another record. A store undone with the
/// transaction it was made in (a refused commit) is forgotten at the next read, as another
/// program's change is seen.
class DataSource {
  public:
    explicit DataSource(std::string name) : name_(std::move(name)) {}
    /// Stores any pending edit: a record begun with AddNew is not lost when the program ends
    /// before the next move.
    ~DataSource() { ignoreFailure(storePending(), "nobody is left to tell; the edit is dropped"); }
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    // Binding properties.
    std::string Connect = "Access";  ///< ";pwd=<key>" for a module
    int RecordsetType = 1;           ///< 1: an updatable view of the whole table
    std::string DatabaseName;        ///< full path of the module file
    std::string RecordSource;        ///< table name

    /// Binds an element's text to the field its `field` names (read when records change).
    void bindElement(std::string& text, const std::string& field, bool editable);

    /// Stores any pending edit, then (re)opens DatabaseName and RecordSource and makes the
    /// first record current. Without records, or on failure, bound elements are left alone.
    Status Refresh();
    /// Closes the database behind the source (the file stays open while others use it).
    void CloseDatabase();

    Status MoveFirst();
    Status MoveLast();
    Status MovePrevious();
    Status MoveNext();
    /// Moves `rows` records on from the current one (back when negative).
    Status Move(long rows);
    /// Number of records; 0 when nothing is open.
    long RecordCount();
    /// Makes the first record meeting `criterion` current. The criterion is one comparison,
    /// Field = 'text' (a quote inside the text doubled); anything else is an error.
    Status FindFirst(const std::string& criterion);
    /// FindFirst for the list of asked questions: the first record whose `Use` is `number`.
    Status findAsked(int number);
    /// Whether the last search found nothing.
    bool NoMatch() const { return noMatch_; }
    /// Starts a new record: editable bound elements are emptied, and what is put into them
    /// becomes the record.
    Status AddNew();
    /// Removes the current record. No record is current until the next move.
    Status Delete();

    bool atBOF() const { return position_ < 0; }
    bool atEOF() const { return position_ >= static_cast<long>(rows_.size()); }
    bool isOpen() const { return database_ != nullptr; }
    const std::string& name() const { return name_; }
    /// The open module file, shared with the other sources bound to it; null when closed.
    /// Writes made inside a `Transaction` on it are committed or rolled back together.
    const std::shared_ptr<ModuleDatabase>& database() const { return database_; }

  private:
    struct Binding {
        std::string* text;
        const std::string* field;
        bool editable;
        std::string shown;      // what the source last put into the element
        std::string beforeAdd;  // what it showed before AddNew emptied it
    };

    /// The search of FindFirst: the first record whose `field` holds exactly `value`.
    Status findFirstEqual(const std::string& field, const std::string& value);
    Status storePending();
    /// Drops a pending edit (a new record when `added`): the bound elements show the current
    /// record again.
    void dropPending(bool added);
    Status loadAllRows();
    Status loadLastRows();
    /// Row ids in delivery order (or its reverse), followed by `tail`.
    std::string rowQuery(bool reversed, const std::string& tail) const;
    /// The first row id in delivery order.
    std::string firstRowQuery() const;
    /// Whether the records come in the order of the score ranking.
    bool ranksScores() const;
    /// The table's name, quoted.
    std::string tableName() const;
    /// The row id of the current record, as a parameter text.
    std::string currentRowId() const;
    Status moveTo(long position);
    void showCurrent();
    /// Reads the list of records and the searches again when another connection has changed
    /// the file since they were read.
    Status forgetIfChanged();
    int columnIndex(const std::string& field) const;

    std::string name_;
    std::vector<Binding> bindings_;
    std::shared_ptr<ModuleDatabase> database_;
    std::string table_;                 // the table the record set was read from
    std::vector<std::string> columns_;  // its columns, in table order
    // Searches answered from memory: every record of the table by row id, and for the column
    // searched the row ids holding each value. Read on the first search after a refresh and kept
    // current by this source's own writes, so a long run of searches reads nothing.
    struct SearchCache {
        int column = -1;
        std::unordered_map<std::int64_t, Row> records;
        std::unordered_map<std::string, std::set<std::int64_t>> rowsByValue;
    };
    Status buildSearch(int column);
    /// Tells the search cache what a write did: `values` stored at `row`, or the row deleted.
    void searchStored(std::int64_t row, const Row* values);

    std::optional<SearchCache> search_;
    std::string rowId_;               // the name that addresses the table's row ids
    std::vector<std::int64_t> rows_;  // row ids in delivery order
    // How much of the list rows_ holds: every row, its first rows, or its last rows.
    enum class Window { kAll, kHead, kTail } window_ = Window::kAll;
    std::vector<std::int64_t> added_;  // rows added since the refresh: they come last
    long position_ = -1;               // index into rows_: -1 before the first, size() after
    bool deleted_ = false;             // the record at position_ has just been deleted
    bool adding_ = false;
    bool noMatch_ = false;
    std::int64_t dataVersion_ = -1;  // of the file when the list and searches were read
};

}  // namespace vexlor::modules
