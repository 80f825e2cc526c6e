// Data sources over real module files: counting, moving, searching, adding and deleting, with
// bound elements showing the current record and edits stored on the next move.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "modules/data_source.h"
#include "modules/transaction.h"
#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor::modules {
namespace {

// A data source on one table of a module, with one bound box.
struct Bound {
    Bound(const std::string& path, const char* table, std::string name, bool editable = true)
        : field(std::move(name)) {
        data.bindElement(text, field, editable);
        data.Connect = ";pwd=tov3ralu";
        data.DatabaseName = path;
        data.RecordSource = table;
        const Status refreshed = data.Refresh();
        EXPECT_TRUE(refreshed) << refreshed.error();
    }
    DataSource data{"Data"};
    std::string text, field;
};

class DataSourceTest : public ::testing::Test {
  protected:
    std::string write(testing::ModuleContent content) {
        std::filesystem::remove(path);
        EXPECT_TRUE(testing::writeModule(path, content));
        return path;
    }
    std::vector<std::string> asked() {
        return testing::readColumn(path, "SELECT Use FROM Use ORDER BY rowid");
    }

    testing::TempFolder folder;
    std::string path = folder.file("test.vxm");
};

// Moves and skips show the current record; off either end there is none, the box empties and
// one more step fails; a field chosen later shows from the next move on.
TEST_F(DataSourceTest, MovesAndSkipsStopAtBothEnds) {
    Bound q(write({.questions = testing::sampleQuestions(5)}), "MainData", "Question", false);
    EXPECT_EQ(q.text, "Question 1");
    EXPECT_EQ(q.data.RecordCount(), 5);
    EXPECT_TRUE(q.data.MoveLast());
    EXPECT_EQ(q.text, "Question 5");
    EXPECT_TRUE(q.data.MoveFirst() && q.data.Move(3));
    EXPECT_EQ(q.text, "Question 4");
    q.field = "False2";
    EXPECT_TRUE(q.data.MovePrevious());
    EXPECT_EQ(q.text, "Wrong 3b");
    EXPECT_TRUE(q.data.MoveFirst() && q.data.MovePrevious() && q.data.atBOF());
    EXPECT_EQ(q.text, "");
    EXPECT_FALSE(q.data.MovePrevious());
    EXPECT_TRUE(q.data.MoveLast() && q.data.Move(10) && q.data.atEOF());
    EXPECT_FALSE(q.data.MoveNext());
}

// FindFirst matches a quoted text as a value, never as SQL, and says when nothing matched;
// criteria it cannot read fail.
TEST_F(DataSourceTest, FindFirstMatchesTheQuotedTextOrReportsNoMatch) {
    Bound use(write({.used = {"3", "12", "1", "it's"}}), "Use", "Use");
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"Use = '1'", true, "1"},
        {"Use = '2'", false, ""},
        {"[Use]='it''s'", true, "it's"},
        {"Use = 'x'' OR ''1''=''1'", false, ""}};
    for (const auto& [criterion, found, shown] : cases) {
        EXPECT_TRUE(use.data.FindFirst(criterion)) << criterion;
        EXPECT_EQ(!use.data.NoMatch(), found) << criterion;
        EXPECT_EQ(found ? use.text : "", shown);
    }
    for (const char* bad :
         {"Use = 1", "Use 'x'", "Use = 'open", "= '1'", "Use = '1' OR 1", "Missing = '1'"})
        EXPECT_FALSE(use.data.FindFirst(bad)) << bad;
    EXPECT_EQ(use.data.RecordCount(), 4);
}

// A record begun with AddNew is stored on the next search, move or refresh, or when its source
// goes away; an empty one is not stored; an edited box is stored into its record on the next
// move.
TEST_F(DataSourceTest, AddNewAndEditsAreStoredOnTheNextSearchMoveOrRefresh) {
    write({.used = {"1"}});
    Bound use(path, "Use", "Use");
    use.text = "9";  // an edit of record 1
    ASSERT_TRUE(use.data.MoveLast());
    ASSERT_TRUE(use.data.AddNew());
    EXPECT_EQ(use.text, "");
    use.text = "7";
    EXPECT_EQ(asked(), std::vector<std::string>{"9"});  // the edit stored, the new one pending
    ASSERT_TRUE(use.data.FindFirst("Use = '7'"));
    EXPECT_FALSE(use.data.NoMatch());
    for (auto store : {&DataSource::MoveFirst, &DataSource::Refresh}) {
        ASSERT_TRUE(use.data.AddNew());
        use.text = "x";
        ASSERT_TRUE((use.data.*store)());
    }
    {
        Bound last(path, "Use", "Use");
        ASSERT_TRUE(last.data.AddNew());
        last.text = "11";
    }
    ASSERT_TRUE(use.data.AddNew() && use.data.Refresh());
    EXPECT_EQ(asked(), (std::vector<std::string>{"9", "7", "x", "x", "11"}));
    EXPECT_EQ(use.data.RecordCount(), 5);
}

// Deleting from the last record backwards empties the table; a deleted record is no longer
// current; after a delete in the middle the next record follows on.
TEST_F(DataSourceTest, DeletingEmptiesTheTable) {
    Bound use(write({.used = {"4", "1", "3"}}), "Use", "Use");
    ASSERT_TRUE(use.data.MoveLast());
    for (int i = 0; i < 3; ++i, use.data.MovePrevious()) {
        ASSERT_TRUE(use.data.Delete());
        EXPECT_FALSE(use.data.Delete());
    }
    EXPECT_EQ(use.data.RecordCount(), 0);
    EXPECT_TRUE(asked().empty());
    Bound other(write({.used = {"a", "b", "c"}}), "Use", "Use");
    ASSERT_TRUE(other.data.MoveNext() && other.data.Delete() && other.data.MoveNext());
    EXPECT_EQ(other.text, "c");
}

// A refresh that fails (no table, wrong key, no key) leaves the bound box alone and the source
// closed; an empty table opens but shows nothing.
TEST_F(DataSourceTest, FailuresLeaveTheBoundElementsAlone) {
    write({.properties = std::vector<std::string>{}});
    DataSource data("Data3");
    std::string title = "before", field = "Title";
    data.bindElement(title, field, false);
    data.DatabaseName = path;
    for (const auto& [connect, table] :
         std::vector<std::pair<std::string, std::string>>{{";pwd=tov3ralu", "NoSuchTable"},
                                                          {";pwd=wrong", "Propriete"},
                                                          {"Access", "Propriete"}}) {
        data.Connect = connect;
        data.RecordSource = table;
        EXPECT_FALSE(data.Refresh()) << connect << table;
    }
    EXPECT_FALSE(data.isOpen() || data.MoveFirst() || data.AddNew());
    data.Connect = ";pwd=tov3ralu";
    ASSERT_TRUE(data.Refresh());
    EXPECT_FALSE(data.MoveLast());
    EXPECT_EQ(title, "before");
}

// A store refused while another program holds the module's write lock (a new record or an edit
// of the current one, tried by a move, a search, a refresh or the next AddNew) is dropped by the
// operation that tried it: the box shows the current record again and nothing stays pending. A
// store made in a batch whose commit is refused (another program is reading) is forgotten with
// the batch. Either way no later move, search or refresh writes it anywhere, and the next record
// is stored as usual.
TEST_F(DataSourceTest, ARefusedStoreLeavesNothingPending) {
    using Operation = std::function<Status(DataSource&)>;
    const Operation move = [](DataSource&d) { return d.MovePrevious(); },
                    search = [](DataSource&d) { return d.FindFirst("Use = '2'"); };
    const struct {
        const char* name;
        bool adding, inBatch;
        Operation store;
    } cases[] = {
        {"new record, move", true, false, move},
        {"new record, search", true, false, [](DataSource& d) { return d.findAsked(1); }},
        {"new record, AddNew", true, false, [](DataSource& d) { return d.AddNew(); }},
        {"edit, move", false, false, move},
        {"new record in a batch", true, true, move},
        {"edit in a batch", false, true, search},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bound use(write({.used = {"1", "2", "3"}}), "Use", "Use");
        sqlite3_busy_timeout(use.data.database()->handle(), 20);  // refusals come at once
        ASSERT_TRUE(use.data.MoveLast() && use.data.findAsked(3));
        {
            const testing::Connection other = testing::connect(path);
            std::optional<Transaction> batch;
            if (c.inBatch) {
                batch.emplace(*use.data.database());
                ASSERT_TRUE(testing::run(other.get(), "BEGIN") &&
                            testing::run(other.get(), "SELECT count(*) FROM Use"));
            } else {
                ASSERT_TRUE(testing::run(other.get(), "BEGIN IMMEDIATE"));
            }
            ASSERT_TRUE(!c.adding || use.data.AddNew());
            use.text = "4";
            EXPECT_EQ(c.store(use.data).ok(), c.inBatch);
            EXPECT_TRUE(!batch || !batch->commit());
            ASSERT_TRUE(testing::run(other.get(), "COMMIT"));
        }
        ASSERT_TRUE(use.data.MoveLast() && use.data.findAsked(3));
        EXPECT_EQ(use.text, "3");
        EXPECT_EQ(use.data.RecordCount(), 3);
        ASSERT_TRUE(use.data.findAsked(4));
        EXPECT_TRUE(use.data.NoMatch());
        ASSERT_TRUE(use.data.AddNew());
        use.text = "5";
        ASSERT_TRUE(use.data.MoveFirst() && use.data.Refresh() && use.data.MoveLast());
        EXPECT_EQ(use.text, "5");
        EXPECT_EQ(asked(), (std::vector<std::string>{"1", "2", "3", "5"}));
    }
}

// Sources on one file share one connection, so their writes never lock each other out.
// Another program's change to the file (an editor's save, the tool's add or reset-asked) is seen
// by the next search, move or count: what a source keeps in memory is read again.
TEST_F(DataSourceTest, ChangesByAnotherProgramAreSeenByTheNextRead) {
    Bound use(write({.questions = testing::sampleQuestions(5), .used = {"1", "2"}}), "Use", "Use");
    Bound q(path, "MainData", "Question", false);
    ASSERT_TRUE(use.data.findAsked(2));  // the search now answers from memory
    EXPECT_FALSE(use.data.NoMatch());
    EXPECT_EQ(q.data.RecordCount(), 5);
    ASSERT_TRUE(testing::alterModule(path, {"DELETE FROM Use", "INSERT INTO Use VALUES ('4')",
                                            "INSERT INTO MainData (Question) VALUES ('Added')"}));
    ASSERT_TRUE(use.data.findAsked(2));
    EXPECT_TRUE(use.data.NoMatch());
    ASSERT_TRUE(use.data.findAsked(4));
    EXPECT_FALSE(use.data.NoMatch());
    EXPECT_EQ(use.text, "4");
    EXPECT_EQ(q.data.RecordCount(), 6);
    ASSERT_TRUE(q.data.MoveLast());
    EXPECT_EQ(q.text, "Added");
}

TEST_F(DataSourceTest, SourcesOnOneFileShareOneConnection) {
    write({});
    Bound a(path, "MainData", "Question");
    EXPECT_EQ(testing::must(ModuleDatabase::open(path, kModuleKey)), a.data.database());
    auto otherKey = ModuleDatabase::open(path, "other");
    EXPECT_TRUE(!otherKey || *otherKey != a.data.database());
}

}  // namespace
}  // namespace vexlor::modules
