// Module files that are locked, crafted, damaged or left with a stale journal: no crash, no
// hang, no module destroyed, no row written over another.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "modules/module_store.h"
#include "modules/transaction.h"
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

// The top ten is the best rows of a long score table in the game's ranking, read at once,
// a score just added among them in its place.
TEST_F(ModuleSafetyTest, TheTopTenIsTheBestRowsInTheRankingAndTakesANewScoreInItsPlace) {
    std::vector<std::vector<std::string>> scores;
    for (int i = 0; i < 300; ++i)
        scores.push_back({"P" + std::to_string(i), "d", std::to_string((i * 37) % 101)});
    const std::string path = module("quiz.vxm", {.scores = scores});
    auto store =
        testing::must(ModuleStore::open(path, Access::kReadWrite, ModuleStore::Layout::kAsFound));
    auto names = [&] {
        std::vector<std::string> best;
        for (const auto& row : testing::must(store.bestScores(10))) best.push_back(row.entry.name);
        return best;
    };
    auto ranked = readColumn(path, "SELECT Nom FROM HScore ORDER BY " + scoreOrder("rowid", true));
    ranked.resize(10);
    EXPECT_EQ(names(), ranked);
    ASSERT_TRUE(store.addScore({"Newcomer", "d", "100"}));
    ranked = readColumn(path, "SELECT Nom FROM HScore ORDER BY " + scoreOrder("rowid", true));
    ranked.resize(10);
    EXPECT_EQ(names(), ranked);
    EXPECT_NE(std::find(ranked.begin(), ranked.end(), "Newcomer"), ranked.end());
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

// The asked list the store keeps in memory answers as the file does after every write: its own
// (kept up to date), another store's on the same connection, another program's, and a batch
// rolled back.
TEST_F(ModuleSafetyTest, TheAskedListKeptInMemoryFollowsEveryWrite) {
    const std::string path = module("quiz.vxm", {.used = {"1", "2", "3", "2", "07"}});
    auto open = [&] {
        return testing::must(
            ModuleStore::open(path, Access::kReadWrite, ModuleStore::Layout::kAsFound));
    };
    ModuleStore game = open(), editor = open();
    auto asked = [&](std::int64_t number) { return testing::must(game.isAsked(number)); };
    auto expectListed = [&](std::set<std::int64_t> listed) {
        for (std::int64_t number = 1; number <= 12; ++number)
            EXPECT_EQ(asked(number), listed.contains(number)) << number;
    };
    expectListed({1, 2, 3});  // "07" names no question
    ASSERT_TRUE(game.markAsked(9));
    expectListed({1, 2, 3, 9});
    ASSERT_TRUE(editor.clearAsked());
    expectListed({});
    ASSERT_TRUE(game.markAsked(4));
    {
        const testing::Connection other = testing::connect(path);
        ASSERT_TRUE(testing::run(other.get(), "INSERT INTO Use VALUES ('5'), ('6')"));
        ASSERT_TRUE(testing::run(other.get(), "DELETE FROM Use WHERE Use = '4'"));
    }
    expectListed({5, 6});
    {
        Transaction batch(game.database());
        ASSERT_TRUE(game.markAsked(11));
        EXPECT_TRUE(asked(11));
    }
    expectListed({5, 6});
    EXPECT_EQ(readColumn(path, "SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"5", "6"}));
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
