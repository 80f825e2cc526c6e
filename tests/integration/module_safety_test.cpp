// Module files that are locked, crafted, damaged or left with a stale journal: no crash, no
// hang, no module destroyed, no row written over another.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "../support/fakes.h"
#include "../support/module_files.h"
#include "modules/data_source.h"
#include "modules/module_format.h"

namespace vexlor::modules {
namespace {

using testing::ModuleContent;
using testing::TempFolder;
namespace fs = std::filesystem;

/// A second program's connection to a module, holding locks or writing behind the game's back.
class OtherProgram {
  public:
    explicit OtherProgram(const std::string& path) {
        sqlite3_open(path.c_str(), &db_);
        sqlite3_key(db_, "tov3ralu", 8);
    }
    ~OtherProgram() { sqlite3_close(db_); }
    bool run(const std::string& sql) { return testing::run(db_, sql); }

  private:
    sqlite3* db_ = nullptr;
};

using testing::readColumn;

/// Leaves a hot journal beside `path`: a child process starts a large write and dies before
/// it commits, as a killed program would.
void dieInTheMiddleOfAWrite(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_key(db, "tov3ralu", 8);
        testing::run(db, "PRAGMA cache_size = 10");
        testing::run(db, "BEGIN");
        testing::run(db, "UPDATE Propriete SET Title = 'half written'");
        for (int i = 0; i < 400; ++i)
            testing::run(db, "INSERT INTO MainData (Question) VALUES (?)",
                         {std::string(200, 'x') + std::to_string(i)});
        _exit(0);  // no commit, no close: the journal stays behind
    }
    int status = 0;
    waitpid(child, &status, 0);
}

class ModuleSafetyTest : public ::testing::Test {
  protected:
    std::string module(const std::string& name, ModuleContent content = {}) {
        const std::string path = folder.file(name);
        if (content.questions.empty()) content.questions = testing::sampleQuestions(50);
        EXPECT_TRUE(testing::writeModule(path, content));
        return path;
    }
    void bind(DataSource& source, const std::string& path, const char* table) {
        source.Connect = ";pwd=tov3ralu";
        source.DatabaseName = path;
        source.RecordSource = table;
        source.Refresh();
    }

    TempFolder folder;
};

TEST_F(ModuleSafetyTest, AFailedStoreDropsItsRecordAndNeverOverwritesAnother) {
    // An asked number that cannot be stored while the module is locked is lost, not written over
    // the current record; the next one is stored normally.
    const std::string path = module("quiz.vxm", {.used = {"1", "2", "3"}});
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    bind(data, path, "Use");
    ASSERT_TRUE(data.MoveLast());
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("BEGIN EXCLUSIVE"));
        ASSERT_TRUE(data.AddNew());
        use = "4";
        EXPECT_FALSE(data.MoveLast());
        EXPECT_NE(data.lastError().find("in use by another program"), std::string::npos)
            << data.lastError();
        EXPECT_EQ(use, "3");  // the current record shows again
        other.run("ROLLBACK");
    }
    ASSERT_TRUE(data.AddNew());
    use = "5";
    ASSERT_TRUE(data.MoveLast());
    EXPECT_EQ(use, "5");
    EXPECT_EQ(readColumn(path, "SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"1", "2", "3", "5"}));

    // A failed edit of the current record leaves it as stored.
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("BEGIN EXCLUSIVE"));
        use = "9";
        EXPECT_FALSE(data.MovePrevious());
        other.run("ROLLBACK");
    }
    EXPECT_TRUE(data.MovePrevious());
    EXPECT_EQ(readColumn(path, "SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"1", "2", "3", "5"}));
}

TEST_F(ModuleSafetyTest, CraftedSchemasAreRefusedBeforeAnyRowIsRead) {
    // Views, triggers, virtual tables and tables without row ids under the module's names, and
    // any trigger at all, make the file no module; nothing in them runs.
    struct Case {
        const char* name;
        std::vector<std::string> statements;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"endless view",
         {"DROP TABLE MainData",
          "CREATE VIEW MainData AS WITH RECURSIVE n(i) AS (SELECT 1 UNION "
          "ALL SELECT i + 1 FROM n) SELECT i AS Question FROM n"},
         "MainData is a view"},
        {"view of properties",
         {"ALTER TABLE Propriete RENAME TO P2", "CREATE VIEW Propriete AS SELECT * FROM P2"},
         "Propriete is a view"},
        {"trigger",
         {"CREATE TRIGGER t AFTER INSERT ON Use BEGIN DELETE FROM MainData; END"},
         "trigger"},
        {"trigger elsewhere",
         {"CREATE TABLE Other (a)", "CREATE TRIGGER t2 AFTER INSERT ON Other BEGIN SELECT 1; END"},
         "trigger"},
        {"no row ids",
         {"DROP TABLE HScore",
          "CREATE TABLE HScore (Nom TEXT PRIMARY KEY, Date TEXT, Score TEXT) WITHOUT ROWID"},
         "without row ids"},
        {"lower-case view", {"DROP TABLE Use", "CREATE VIEW use AS SELECT 1 AS Use"}, "view"},
        {"virtual table behind a comment",
         {"DROP TABLE MainData",
          "CREATE VIRTUAL /* a table */ TABLE MainData USING fts4(Question, Reponce)"},
         "MainData is a virtual table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = module(std::string(c.name) + ".vxm");
        {
            OtherProgram other(path);
            for (const auto& statement : c.statements)
                ASSERT_TRUE(other.run(statement)) << statement;
        }
        const std::string before = testing::readBytes(path);
        std::string error;
        OpenProblem problem = OpenProblem::kNone;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(ModuleDatabase::open(path, kModuleKey, &error, Access::kReadWrite, &problem));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_EQ(problem, OpenProblem::kUnsafeLayout);
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        EXPECT_EQ(testing::readBytes(path), before);

        // The game says what it says of any file that is no module.
        testing::FormFixture f;
        f.fileDialog.answers.push_back(path);
        f.form.Modu_Click();
        ASSERT_EQ(f.messageBox.shown.size(), 1u);
        EXPECT_EQ(f.messageBox.shown[0].text,
                  fs::path(path).filename().string() + "\rNot a Valid Module");
    }
}

TEST_F(ModuleSafetyTest, OrdinaryTablesAreJudgedByWhatTheyAreNotByTheirText) {
    // Words that only look like a refused declaration, in a default text, refuse nothing.
    const std::string path = module("quiz.vxm");
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("DROP TABLE HScore"));
        ASSERT_TRUE(
            other.run("CREATE TABLE HScore (Nom TEXT DEFAULT 'WITHOUT ROWID', Date TEXT, "
                      "Score TEXT DEFAULT 'CREATE VIRTUAL TABLE')"));
    }
    std::string error;
    EXPECT_TRUE(ModuleDatabase::open(path, kModuleKey, &error)) << error;
}

TEST_F(ModuleSafetyTest, QueriesRunNothingBeyondWhatTheyAsk) {
    // A connection cannot be made to create, attach, recurse or call unknown functions.
    const std::string path = module("quiz.vxm");
    auto database = ModuleDatabase::open(path, kModuleKey);
    ASSERT_TRUE(database);
    EXPECT_TRUE(database->query("SELECT count(*) FROM MainData"));
    EXPECT_TRUE(database->query("PRAGMA table_info(\"HScore\")"));
    EXPECT_FALSE(database->execute("CREATE TABLE Extra (a)"));
    EXPECT_FALSE(database->execute("DROP TABLE Use"));
    EXPECT_FALSE(database->execute("ATTACH '" + folder.file("x.db") + "' AS x"));
    EXPECT_FALSE(
        database->query("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                        "n) SELECT count(*) FROM n"));
    EXPECT_FALSE(database->query("SELECT randomblob(1000000000)"));
    EXPECT_FALSE(database->execute("PRAGMA journal_mode = WAL"));
    EXPECT_FALSE(fs::exists(folder.file("x.db")));
    EXPECT_EQ(readColumn(path, "SELECT count(*) FROM Use"), std::vector<std::string>{"0"});
}

TEST_F(ModuleSafetyTest, AJournalThatIsNotTheModulesOwnIsNeverApplied) {
    // A module replaced under the name of one that died in a write keeps its content; the
    // module's own journal still completes its recovery.
    const std::string old = module("old.vxm");
    dieInTheMiddleOfAWrite(old);
    ASSERT_GT(fs::file_size(old + "-journal"), 0u);

    const std::string path = module("quiz.vxm", {.questions = testing::sampleQuestions(200)});
    fs::copy_file(old + "-journal", path + "-journal");
    const std::string before = testing::readBytes(path);
    const std::string journal = testing::readBytes(path + "-journal");
    std::string error;
    OpenProblem problem = OpenProblem::kNone;
    EXPECT_FALSE(ModuleDatabase::open(path, kModuleKey, &error, Access::kReadWrite, &problem));
    EXPECT_EQ(problem, OpenProblem::kForeignJournal);
    EXPECT_NE(error.find("belongs to another file"), std::string::npos) << error;
    EXPECT_EQ(testing::readBytes(path), before);
    EXPECT_EQ(testing::readBytes(path + "-journal"), journal);

    // A read-only open of the module that died leaves its journal for the game to recover.
    const std::string oldBytes = testing::readBytes(old);
    EXPECT_FALSE(ModuleDatabase::open(old, kModuleKey, &error, Access::kReadOnly, &problem));
    EXPECT_EQ(problem, OpenProblem::kNeedsRecovery);
    EXPECT_EQ(testing::readBytes(old), oldBytes);

    // The game's open plays the module's own journal back: the write that died is undone.
    DataSource data("Data3");
    std::string title, field = "Title";
    data.bindElement(title, field, false);
    bind(data, old, "Propriete");
    EXPECT_EQ(title, "Test Module");
    EXPECT_FALSE(fs::exists(old + "-journal"));
    EXPECT_EQ(readColumn(old, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    EXPECT_EQ(readColumn(old, "SELECT count(*) FROM MainData"), std::vector<std::string>{"50"});

    // Modules never keep a write-ahead log: one beside a module is not applied either.
    fs::remove(path + "-journal");
    std::ofstream(path + "-wal") << "log";
    EXPECT_FALSE(ModuleDatabase::open(path, kModuleKey, &error, Access::kReadWrite, &problem));
    EXPECT_EQ(problem, OpenProblem::kForeignJournal);
    EXPECT_EQ(testing::readBytes(path), before);
}

TEST_F(ModuleSafetyTest, RecordsAreAddressedByTheirRealRowIds) {
    // A column named rowid does not redirect deletes and edits to other rows.
    const std::string path = folder.file("quiz.vxm");
    ASSERT_TRUE(testing::writeModule(path, {.questions = testing::sampleQuestions(3)}));
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("DROP TABLE Use"));
        ASSERT_TRUE(other.run("CREATE TABLE Use (Use TEXT, rowid TEXT)"));
        for (const char* row : {"INSERT INTO Use VALUES ('1', '7')",
                                "INSERT INTO Use VALUES "
                                "('2', '7')",
                                "INSERT INTO Use VALUES ('3', '1')"})
            ASSERT_TRUE(other.run(row));
    }
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    bind(data, path, "Use");
    ASSERT_TRUE(data.MoveLast());
    EXPECT_EQ(use, "3");
    ASSERT_TRUE(data.Delete());
    ASSERT_TRUE(data.MovePrevious());
    EXPECT_EQ(use, "2");
    use = "20";
    ASSERT_TRUE(data.MoveFirst());
    EXPECT_EQ(readColumn(path, "SELECT Use FROM Use ORDER BY _rowid_"),
              (std::vector<std::string>{"1", "20"}));
}

TEST_F(ModuleSafetyTest, ALockedModuleIsInUseNotInvalid) {
    // While another program holds the module, opening waits a little, then says it is in use;
    // once released the same module opens.
    const std::string path = module("quiz.vxm");
    testing::FormFixture f;
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("BEGIN EXCLUSIVE"));
        f.fileDialog.answers.push_back(path);
        f.form.Modu_Click();
        ASSERT_EQ(f.messageBox.shown.size(), 1u);
        EXPECT_EQ(f.messageBox.shown[0].text, "quiz.vxm\rThe module is in use by another program");
        other.run("ROLLBACK");
    }
    f.fileDialog.answers.push_back(path);
    f.form.Modu_Click();
    EXPECT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Test Module");
}

TEST_F(ModuleSafetyTest, WhatIsNoFileIsRefusedByName) {
    // A folder, a pipe or a dangling link chosen as a module is named in the refusal.
    fs::create_directory(folder.file("folder.vxm"));
    ASSERT_EQ(mkfifo(folder.file("pipe.vxm").c_str(), 0600), 0);
    fs::create_symlink(folder.file("gone.vxm"), folder.file("link.vxm"));
    const std::vector<std::pair<std::string, OpenProblem>> cases = {
        {"folder.vxm", OpenProblem::kNotAFile},
        {"pipe.vxm", OpenProblem::kNotAFile},
        {"link.vxm", OpenProblem::kNoFile},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        OpenProblem problem = OpenProblem::kNone;
        std::string error;
        EXPECT_FALSE(ModuleDatabase::open(folder.file(name), kModuleKey, &error, Access::kReadWrite,
                                          &problem));
        EXPECT_EQ(problem, expected);
        testing::FormFixture f;
        f.fileDialog.answers.push_back(folder.file(name));
        f.form.Modu_Click();
        ASSERT_EQ(f.messageBox.shown.size(), 1u);
        EXPECT_EQ(f.messageBox.shown[0].text, name + "\rNot a Valid Module");
    }
}

TEST_F(ModuleSafetyTest, WalkingBackFromTheEndOfALongScoreTableReadsOnlyItsEnd) {
    // The last records come in the same order whether the source read the whole table or only
    // its end, also when it walks back past the part it read and when it adds a record.
    std::vector<std::vector<std::string>> scores;
    for (int i = 0; i < 300; ++i)
        scores.push_back({"P" + std::to_string(i), "Jan/01/2024", std::to_string((i * 37) % 101)});
    const std::string path = module("quiz.vxm", {.scores = scores});
    const auto ranked =
        readColumn(path, "SELECT Nom FROM HScore ORDER BY " + scoreOrder("rowid", false));
    ASSERT_EQ(ranked.size(), 300u);

    DataSource data("Data4");
    std::string name, nameField = "Nom";
    data.bindElement(name, nameField, true);
    bind(data, path, "HScore");
    EXPECT_EQ(name, ranked.front());
    ASSERT_TRUE(data.MoveLast());
    for (int back = 0; back < 60; ++back) {
        ASSERT_EQ(name, ranked[ranked.size() - 1 - static_cast<std::size_t>(back)]) << back;
        ASSERT_TRUE(data.MovePrevious());
    }
    EXPECT_EQ(data.RecordCount(), 300);

    bind(data, path, "HScore");
    ASSERT_TRUE(data.MoveLast());
    ASSERT_TRUE(data.AddNew());
    name = "Newcomer";
    ASSERT_TRUE(data.MovePrevious());  // stores it; moves back from the record shown before
    EXPECT_EQ(name, ranked[ranked.size() - 2]);
    ASSERT_TRUE(data.MoveLast());
    EXPECT_EQ(name, "Newcomer");  // added records come last until the next refresh
    EXPECT_EQ(data.RecordCount(), 301);
    ASSERT_TRUE(data.MoveLast());
    EXPECT_EQ(name, "Newcomer");
}

}  // namespace
}  // namespace vexlor::modules

namespace vexlor::modules {
namespace {

TEST_F(ModuleSafetyTest, AFailedWriteLeavesNoTransactionOpen) {
    // A write the module refuses rolls back whole, inside a batch or alone, and the next write
    // goes through.
    const std::string path = folder.file("quiz.vxm");
    ASSERT_TRUE(testing::writeModule(path, {.questions = testing::sampleQuestions(3)}));
    {
        OtherProgram other(path);
        ASSERT_TRUE(other.run("DROP TABLE HScore"));
        ASSERT_TRUE(other.run(
            "CREATE TABLE HScore (Nom TEXT CHECK (Nom <> 'refused'), Date TEXT, Score TEXT)"));
    }
    auto database = ModuleDatabase::open(path, kModuleKey);
    ASSERT_TRUE(database);
    const std::string insert = "INSERT INTO HScore VALUES (?, 'Jan/01/2024', '00100')";
    std::string error;
    EXPECT_FALSE(database->write(insert, {"refused"}, &error));
    EXPECT_TRUE(database->write(insert, {"Ann"}, &error)) << error;

    {
        Transaction batch(*database);
        ASSERT_TRUE(batch.active());
        EXPECT_TRUE(database->write(insert, {"Bob"}));
        EXPECT_FALSE(database->write(insert, {"refused"}));  // undoes itself only
        EXPECT_TRUE(database->write(insert, {"Cid"}));
        EXPECT_TRUE(batch.commit());
    }
    {
        Transaction batch(*database);
        EXPECT_TRUE(database->write(insert, {"Dan"}));
    }  // never committed: rolled back
    EXPECT_TRUE(database->write(insert, {"Eve"}, &error)) << error;
    EXPECT_EQ(readColumn(path, "SELECT Nom FROM HScore ORDER BY rowid"),
              (std::vector<std::string>{"Ann", "Bob", "Cid", "Eve"}));
}

}  // namespace
}  // namespace vexlor::modules

namespace vexlor::modules {
namespace {

TEST_F(ModuleSafetyTest, SearchesSeeEveryWriteOfTheirSource) {
    // A search answered from memory finds what the source has added, changed and deleted, as a
    // fresh source reading the file does.
    const std::string path = module("quiz.vxm", {.used = {"1", "2", "3", "2"}});
    DataSource data("Data2");
    std::string use, field = "Use";
    data.bindElement(use, field, true);
    bind(data, path, "Use");
    auto finds = [&](DataSource& source, const std::string& value) {
        EXPECT_TRUE(source.FindFirst("Use = '" + value + "'"));
        return !source.NoMatch();
    };
    ASSERT_TRUE(finds(data, "2"));
    ASSERT_TRUE(data.MoveNext());
    EXPECT_EQ(use, "3");  // the first "2" was found, not the later one

    ASSERT_TRUE(data.AddNew());
    use = "9";
    EXPECT_TRUE(finds(data, "9"));  // stores it, then finds it
    EXPECT_EQ(use, "9");
    use = "10";  // an edit of the found record
    EXPECT_FALSE(finds(data, "9"));
    EXPECT_TRUE(finds(data, "10"));
    ASSERT_TRUE(data.Delete());
    EXPECT_FALSE(finds(data, "10"));
    ASSERT_TRUE(finds(data, "1"));
    ASSERT_TRUE(data.Delete());
    EXPECT_FALSE(finds(data, "1"));

    DataSource fresh("fresh");
    std::string freshUse;
    fresh.bindElement(freshUse, field, false);
    bind(fresh, path, "Use");
    for (const char* value : {"1", "2", "3", "9", "10"}) {
        SCOPED_TRACE(value);
        const bool found = finds(data, value);
        EXPECT_EQ(found, finds(fresh, value));
        if (found) {
            EXPECT_EQ(use, freshUse);
        }
    }
    EXPECT_EQ(readColumn(path, "SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"2", "3", "2"}));
}

}  // namespace
}  // namespace vexlor::modules
