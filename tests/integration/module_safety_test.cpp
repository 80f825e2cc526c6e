// Module files that are locked, crafted, damaged or left with a stale journal: no crash, no
// hang, no module destroyed, no row written over another.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "modules/data_source.h"
#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor::modules {
namespace {

namespace fs = std::filesystem;
using testing::readColumn;

/// Leaves a hot journal beside `path`: a child process starts a large write and dies before
/// it commits, as a killed program would.
void dieInTheMiddleOfAWrite(const std::string& path) {
    if (fork() == 0) {
        const testing::Connection writer = testing::connect(path);
        testing::run(writer.get(), "PRAGMA cache_size = 10");
        testing::run(writer.get(), "BEGIN");
        testing::run(writer.get(), "UPDATE Propriete SET Title = 'half written'");
        for (int i = 0; i < 400; ++i)
            testing::run(writer.get(), "INSERT INTO MainData (Question) VALUES ('" +
                                           std::string(200, 'x') + "')");
        _exit(0);  // no commit, no close: the journal stays behind
    }
    int status = 0;
    wait(&status);
}

class ModuleSafetyTest : public ::testing::Test {
  protected:
    std::string module(const std::string& name, testing::ModuleContent content = {}) {
        const std::string path = folder.file(name);
        if (content.questions.empty()) content.questions = testing::sampleQuestions(50);
        EXPECT_TRUE(testing::writeModule(path, content));
        return path;
    }
    // Opens `path` as the game does and returns what the player was told.
    std::string gameOpens(const std::string& path) {
        testing::FormFixture f;
        f.open(path);
        return f.lastMessage();
    }
    ErrorKind problemOpening(const std::string& path, Access access = Access::kReadWrite,
                             std::string* error = nullptr) {
        auto opened = ModuleDatabase::open(path, kModuleKey, access);
        EXPECT_FALSE(opened);
        if (opened) return ErrorKind::kFailed;
        if (error) *error = opened.error().message();
        return opened.error().kind();
    }

    testing::TempFolder folder;
};

// A module's tables are judged by what they are, not by their text: words that only look like
// a refused declaration refuse nothing (crafted schemas are refused in hostile_module_test).
TEST_F(ModuleSafetyTest, OrdinaryTablesAreJudgedByWhatTheyAreNotByTheirText) {
    const std::string path = module("quiz.vxm");
    ASSERT_TRUE(
        testing::alterModule(path, {"DROP TABLE HScore",
                                    "CREATE TABLE HScore (Nom TEXT DEFAULT 'WITHOUT ROWID', "
                                    "Date TEXT, Score TEXT DEFAULT 'CREATE VIRTUAL TABLE')"}));
    auto opened = ModuleDatabase::open(path, kModuleKey);
    EXPECT_TRUE(opened) << opened.error();
}

// A connection cannot be made to create, drop, attach, recurse, allocate without bound or
// change the journal mode: it runs nothing beyond what the program asks.
TEST_F(ModuleSafetyTest, QueriesRunNothingBeyondWhatTheyAsk) {
    auto database = testing::must(ModuleDatabase::open(module("quiz.vxm"), kModuleKey));
    EXPECT_TRUE(database->query("PRAGMA table_info(\"HScore\")"));
    for (const std::string& sql : std::vector<std::string>{
             "CREATE TABLE Extra (a)", "DROP TABLE Use",
             "ATTACH '" + folder.file("x.db") + "' AS x", "PRAGMA journal_mode = WAL"})
        EXPECT_FALSE(database->execute(sql)) << sql;
    EXPECT_FALSE(database->query(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n"));
    EXPECT_FALSE(database->query("SELECT randomblob(1000000000)"));
    EXPECT_FALSE(fs::exists(folder.file("x.db")));
}

// A journal beside a module that is not its own, or any write-ahead log, is never applied and
// refuses the open; a read-only open leaves a module's own journal, which the game's open then
// plays back, undoing the write that died.
TEST_F(ModuleSafetyTest, AJournalThatIsNotTheModulesOwnIsNeverApplied) {
    const std::string old = module("old.vxm");
    dieInTheMiddleOfAWrite(old);
    ASSERT_GT(fs::file_size(old + "-journal"), 0u);
    const std::string path = module("quiz.vxm", {.questions = testing::sampleQuestions(200)});
    fs::copy_file(old + "-journal", path + "-journal");
    const std::string before = testing::readBytes(path),
                      journal = testing::readBytes(path + "-journal");
    std::string error;
    EXPECT_EQ(problemOpening(path, Access::kReadWrite, &error), ErrorKind::kForeignJournal);
    EXPECT_NE(error.find("belongs to another file"), std::string::npos) << error;
    EXPECT_EQ(testing::readBytes(path), before);
    EXPECT_EQ(testing::readBytes(path + "-journal"), journal);

    const std::string oldBytes = testing::readBytes(old);
    EXPECT_EQ(problemOpening(old, Access::kReadOnly), ErrorKind::kNeedsRecovery);
    EXPECT_EQ(testing::readBytes(old), oldBytes);
    EXPECT_EQ(gameOpens(old), "");
    EXPECT_FALSE(fs::exists(old + "-journal"));
    EXPECT_EQ(readColumn(old, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    EXPECT_EQ(readColumn(old, "SELECT count(*) || Title FROM MainData, Propriete"),
              std::vector<std::string>{"50Test Module"});

    fs::remove(path + "-journal");
    for (const char* log : {"-wal", "-shm"}) {
        std::ofstream(path + log) << "log";
        EXPECT_EQ(problemOpening(path), ErrorKind::kForeignJournal) << log;
        EXPECT_EQ(testing::readBytes(path), before);
        fs::remove(path + log);
    }
}

// Walking back from the end of a long score table gives the rows in rank order, also past the
// part read first and after adding a record, which comes last until the next refresh.
TEST_F(ModuleSafetyTest, WalkingBackFromTheEndOfALongScoreTableKeepsTheRankOrder) {
    std::vector<std::vector<std::string>> scores;
    for (int i = 0; i < 300; ++i)
        scores.push_back({"P" + std::to_string(i), "d", std::to_string((i * 37) % 101)});
    const std::string path = module("quiz.vxm", {.scores = scores});
    const auto ranked =
        readColumn(path, "SELECT Nom FROM HScore ORDER BY " + scoreOrder("rowid", false));
    testing::BoundSource table(path, "HScore", "Nom");
    DataSource& data = table.data;
    std::string& name = table.text;
    ASSERT_TRUE(data.Refresh());
    EXPECT_EQ(name, ranked.front());
    ASSERT_TRUE(data.MoveLast());
    for (std::size_t back = 1; back <= 60; ++back, data.MovePrevious())
        ASSERT_EQ(name, ranked[ranked.size() - back]) << back;
    ASSERT_TRUE(data.MoveLast() && data.AddNew());
    name = "Newcomer";
    ASSERT_TRUE(data.MovePrevious());  // stores it; moves back from the record shown before
    EXPECT_EQ(name, ranked[ranked.size() - 2]);
    ASSERT_TRUE(data.MoveLast());
    EXPECT_EQ(name, "Newcomer");
    EXPECT_EQ(data.RecordCount(), 301);
}

// A write the module refuses (a check fails, a text is longer than a field may hold) rolls back
// whole, alone or inside a batch, a batch never committed rolls back, and the next write goes
// through.
TEST_F(ModuleSafetyTest, AFailedWriteLeavesNoTransactionOpen) {
    const std::string path = module("quiz.vxm");
    ASSERT_TRUE(testing::alterModule(
        path, {"DROP TABLE HScore",
               "CREATE TABLE HScore (Nom TEXT CHECK (Nom <> 'refused'), Date TEXT, Score TEXT)"}));
    auto database = testing::must(ModuleDatabase::open(path, kModuleKey));
    const std::string insert = "INSERT INTO HScore VALUES (?, 'Jan/01/2024', '00100')";
    EXPECT_FALSE(database->write(insert, {"refused"}));
    auto tooLong = database->write(insert, {std::string((16 << 20) + 1, 'x')});
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error().message(),
              "a text is longer than the 16 MiB a module field may hold");
    EXPECT_TRUE(database->write(insert, {"Ann"}));
    {
        Transaction batch(*database);
        EXPECT_TRUE(database->write(insert, {"Bob"}));
        EXPECT_FALSE(database->write(insert, {"refused"}));  // undoes itself only
        EXPECT_TRUE(batch.commit());
    }
    {
        Transaction batch(*database);
        EXPECT_TRUE(database->write(insert, {"Dan"}));
    }
    EXPECT_TRUE(database->write(insert, {"Eve"}));
    EXPECT_EQ(readColumn(path, "SELECT Nom FROM HScore ORDER BY rowid"),
              (std::vector<std::string>{"Ann", "Bob", "Eve"}));
}

// A search answered from memory finds what its source has added, changed and deleted, as a
// fresh source reading the file does.
TEST_F(ModuleSafetyTest, SearchesSeeEveryWriteOfTheirSource) {
    const std::string path = module("quiz.vxm", {.used = {"1", "2", "3", "2"}});
    testing::BoundSource asked(path, "Use", "Use"), other(path, "Use", "Use", false);
    DataSource &data = asked.data, &fresh = other.data;
    std::string &use = asked.text, &freshUse = other.text;
    ASSERT_TRUE(data.Refresh());
    auto finds = [&](DataSource& source, const std::string& value) {
        EXPECT_TRUE(source.FindFirst("Use = '" + value + "'"));
        return !source.NoMatch();
    };
    ASSERT_TRUE(finds(data, "2") && data.MoveNext());
    EXPECT_EQ(use, "3");  // the first "2" was found, not the later one
    ASSERT_TRUE(data.AddNew());
    use = "9";
    EXPECT_TRUE(finds(data, "9"));  // stores it, then finds it
    use = "10";                     // an edit of the found record
    EXPECT_FALSE(finds(data, "9"));
    EXPECT_TRUE(finds(data, "10") && data.Delete());
    EXPECT_FALSE(finds(data, "10"));
    ASSERT_TRUE(finds(data, "1") && data.Delete());
    ASSERT_TRUE(fresh.Refresh());
    for (const char* value : {"1", "2", "3", "9", "10"}) {
        const bool found = finds(data, value);
        EXPECT_EQ(found, finds(fresh, value)) << value;
        EXPECT_EQ(found ? use : "", found ? freshUse : "") << value;
    }
}

// The statements written out for each table name its columns in table order: a row inserted
// with one value per column reads back the same, is counted, and is cleared.
TEST_F(ModuleSafetyTest, EveryTablesStatementsAgreeWithItsColumns) {
    const std::string path = module("quiz.vxm", {.questions = {}, .scores = {}});
    ASSERT_TRUE(testing::alterModule(path, {"DELETE FROM MainData", "DELETE FROM Propriete"}));
    auto database = testing::must(ModuleDatabase::open(path, kModuleKey));
    for (std::size_t t = 0; t < kModuleTables.size(); ++t) {
        const auto& statements = sql::kTableStatements[t];
        std::vector<std::string> first, second;
        for (std::string_view column : kModuleTables[t].columns) {
            first.push_back(std::string(column) + " 1");
            second.push_back(std::string(column) + " 2");
        }
        testing::must(database->write(std::string(statements.insert), first));
        testing::must(database->write(std::string(statements.insert), second));
        const std::string select = sql::withRowId(statements.select, "_rowid_");
        EXPECT_EQ(testing::must(database->query(select)), (std::vector<Row>{first, second}))
            << kModuleTables[t].name;
        EXPECT_EQ(testing::must(database->queryIntegers(std::string(statements.count))),
                  std::vector<std::int64_t>{2});
        testing::must(database->execute(std::string(statements.clear)));
        EXPECT_TRUE(testing::must(database->query(select)).empty());
    }
}

}  // namespace
}  // namespace vexlor::modules
