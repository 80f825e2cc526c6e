// Data sources over real module files: counting, moving, searching, adding and deleting, with
// bound elements showing the current record and edits stored on the next move.

#include <gtest/gtest.h>

#include "../support/fakes.h"
#include "../support/module_files.h"
#include "modules/data_source.h"

namespace vexlor::modules {
namespace {

using testing::ModuleContent;
using testing::TempFolder;

class DataSourceTest : public ::testing::Test {
  protected:
    void open(DataSource& source, const char* table) {
        source.Connect = ";pwd=tov3ralu";
        source.DatabaseName = path;
        source.RecordSource = table;
        ASSERT_TRUE(source.Refresh()) << source.lastError();
    }
    void write(ModuleContent content) { ASSERT_TRUE(testing::writeModule(path, content)); }
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> values;
        auto database = ModuleDatabase::open(path, kModuleKey);
        const auto rows = database->query(sql);
        for (const auto& row : *rows) values.push_back(row[0]);
        return values;
    }

    TempFolder folder;
    std::string path = folder.file("test.vxm");
};

TEST_F(DataSourceTest, MovesAndSkipsShowTheCurrentRecordAndStopAtBothEnds) {
    write({.questions = testing::sampleQuestions(5)});
    DataSource data("Data1");
    std::string question, points, answer;
    std::string questionField = "Question", pointsField = "Points", answerField;
    data.bindElement(question, questionField, false);
    data.bindElement(points, pointsField, false);
    data.bindElement(answer, answerField, false);  // no field yet: left alone
    open(data, "MainData");
    EXPECT_EQ(question, "Question 1");
    EXPECT_EQ(data.RecordCount(), 5);

    EXPECT_TRUE(data.MoveLast());
    EXPECT_EQ(question, "Question 5");
    EXPECT_EQ(points, "25");
    EXPECT_TRUE(data.MoveFirst());
    EXPECT_TRUE(data.Move(3));  // question n is first + (n - 1) skips
    EXPECT_EQ(question, "Question 4");
    EXPECT_EQ(answer, "");

    // A field chosen later is shown from the next move on.
    answerField = "False2";
    EXPECT_TRUE(data.MovePrevious());
    EXPECT_EQ(question, "Question 3");
    EXPECT_EQ(answer, "Wrong 3b");

    // Off the first record there is none: the elements empty, and one more step fails.
    EXPECT_TRUE(data.MoveFirst());
    EXPECT_TRUE(data.MovePrevious());
    EXPECT_TRUE(data.atBOF());
    EXPECT_EQ(question, "");
    EXPECT_FALSE(data.MovePrevious());
    EXPECT_TRUE(data.MoveLast());
    EXPECT_TRUE(data.Move(10));
    EXPECT_TRUE(data.atEOF());
    EXPECT_FALSE(data.MoveNext());
}

TEST_F(DataSourceTest, FindFirstMatchesTheQuotedTextOrReportsNoMatch) {
    write({.questions = testing::sampleQuestions(3), .used = {"3", "12", "1", "it's"}});
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    open(data, "Use");
    EXPECT_EQ(data.RecordCount(), 4);

    EXPECT_TRUE(data.FindFirst("Use = '1'"));
    EXPECT_FALSE(data.NoMatch());
    EXPECT_EQ(use, "1");
    EXPECT_TRUE(data.FindFirst("Use = '2'"));
    EXPECT_TRUE(data.NoMatch());
    EXPECT_TRUE(data.FindFirst("[Use]='it''s'"));
    EXPECT_FALSE(data.NoMatch());
    EXPECT_EQ(use, "it's");

    // The text is a value, never SQL: this finds nothing and changes nothing.
    EXPECT_TRUE(data.FindFirst("Use = 'x'' OR ''1''=''1'"));
    EXPECT_TRUE(data.NoMatch());
    for (const char* bad :
         {"Use = 1", "Use 'x'", "Use = 'open", "= '1'", "Use = '1' OR 1", "Missing = '1'"}) {
        EXPECT_FALSE(data.FindFirst(bad)) << bad;
    }
    EXPECT_EQ(data.RecordCount(), 4);
}

TEST_F(DataSourceTest, AddNewIsStoredOnTheNextSearchMoveOrRefresh) {
    write({.questions = testing::sampleQuestions(3)});
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    open(data, "Use");
    EXPECT_EQ(data.RecordCount(), 0);

    ASSERT_TRUE(data.AddNew());
    use = "7";
    EXPECT_TRUE(column("SELECT Use FROM Use").empty());  // pending
    ASSERT_TRUE(data.FindFirst("Use = '7'"));            // the search stores it first
    EXPECT_FALSE(data.NoMatch());
    EXPECT_EQ(data.RecordCount(), 1);

    ASSERT_TRUE(data.AddNew());
    EXPECT_EQ(use, "");
    use = "2";
    ASSERT_TRUE(data.MoveFirst());
    ASSERT_TRUE(data.AddNew());
    use = "5";
    ASSERT_TRUE(data.Refresh());
    EXPECT_EQ(column("SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"7", "2", "5"}));
    EXPECT_EQ(data.RecordCount(), 3);

    // A record still pending when the source goes away (the program ends) is kept.
    {
        DataSource last("Data2");
        std::string lastUse, lastField = "Use";
        last.bindElement(lastUse, lastField, true);
        open(last, "Use");
        ASSERT_TRUE(last.AddNew());
        lastUse = "11";
    }
    EXPECT_EQ(column("SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"7", "2", "5", "11"}));
    ASSERT_TRUE(data.Refresh());

    // AddNew with nothing put in stores nothing.
    ASSERT_TRUE(data.AddNew());
    ASSERT_TRUE(data.Refresh());
    EXPECT_EQ(data.RecordCount(), 4);
}

TEST_F(DataSourceTest, AnEditedTextBoxIsStoredIntoItsRecordOnTheNextMove) {
    write({.questions = testing::sampleQuestions(1), .used = {"1", "2"}});
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    open(data, "Use");
    use = "9";
    ASSERT_TRUE(data.MoveLast());
    EXPECT_EQ(use, "2");
    EXPECT_EQ(column("SELECT Use FROM Use ORDER BY rowid"), (std::vector<std::string>{"9", "2"}));
}

TEST_F(DataSourceTest, DeletingFromTheLastBackwardsEmptiesTheTable) {
    write({.questions = testing::sampleQuestions(1), .used = {"4", "1", "3"}});
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    open(data, "Use");
    ASSERT_TRUE(data.MoveLast());
    const long count = data.RecordCount();
    for (long i = 0; i < count; ++i) {
        ASSERT_TRUE(data.Delete());
        EXPECT_FALSE(data.Delete());  // the deleted record is no longer current
        data.MovePrevious();
    }
    EXPECT_EQ(data.RecordCount(), 0);
    EXPECT_TRUE(column("SELECT Use FROM Use").empty());

    // Deleting in the middle: the next record follows on.
    std::filesystem::remove(path);
    write({.questions = testing::sampleQuestions(1), .used = {"a", "b", "c"}});
    open(data, "Use");
    ASSERT_TRUE(data.MoveNext());
    ASSERT_TRUE(data.Delete());
    ASSERT_TRUE(data.MoveNext());
    EXPECT_EQ(use, "c");
}

TEST_F(DataSourceTest, HighScoresComeByScoreWithTheBestLast) {
    write({.questions = testing::sampleQuestions(1),
           .scores = {{"Ann", "Jan/01/2024", "00300"},
                      {"Bob", "Jan/02/2024", "01200"},
                      {"Cy", "Jan/03/2024", "00050"},
                      {"Di", "Jan/04/2024", "01200"},
                      {"Ed", "Jan/05/2024", "00999"}}});
    DataSource data("Data4");
    std::string name, nameField = "Nom";
    data.bindElement(name, nameField, true);
    open(data, "HScore");
    std::vector<std::string> order{name};
    while (data.MoveNext() && !data.atEOF()) order.push_back(name);
    // Of the two equal scores, the earlier entry ranks higher, so it comes later.
    EXPECT_EQ(order, (std::vector<std::string>{"Cy", "Ann", "Ed", "Di", "Bob"}));
}

TEST_F(DataSourceTest, FailuresLeaveTheBoundElementsAlone) {
    write({.questions = testing::sampleQuestions(2)});
    DataSource data("Data3");
    std::string title = "before", field = "Title";
    data.bindElement(title, field, false);

    data.Connect = ";pwd=tov3ralu";
    data.DatabaseName = path;
    data.RecordSource = "NoSuchTable";
    EXPECT_FALSE(data.Refresh());
    data.RecordSource = "Propriete";
    data.Connect = ";pwd=wrong";
    EXPECT_FALSE(data.Refresh());
    data.Connect = "Access";
    EXPECT_FALSE(data.Refresh());
    EXPECT_EQ(title, "before");
    EXPECT_FALSE(data.isOpen());
    EXPECT_EQ(data.RecordCount(), 0);
    EXPECT_FALSE(data.MoveFirst());
    EXPECT_FALSE(data.AddNew());

    // An empty table opens, but shows nothing.
    std::filesystem::remove(path);
    write({.properties = std::vector<std::string>{}, .questions = testing::sampleQuestions(1)});
    open(data, "Propriete");
    EXPECT_EQ(title, "before");
    EXPECT_FALSE(data.MoveLast());
}

TEST_F(DataSourceTest, SourcesOnOneFileShareOneConnection) {
    write({.questions = testing::sampleQuestions(2)});
    DataSource a("Data1"), b("Data2");
    open(a, "MainData");
    auto first = ModuleDatabase::open(path, kModuleKey);
    auto second = ModuleDatabase::open(path, kModuleKey);
    EXPECT_EQ(first, second);
    EXPECT_NE(ModuleDatabase::open(path, "other"), first);
}

}  // namespace
}  // namespace vexlor::modules
