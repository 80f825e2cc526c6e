// Damaged, crafted, locked and interrupted module files: the tool says what is wrong with each,
// never writes a module it only reads, and never lets a left-over file spoil a new module.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "tool_support.h"

extern char** environ;

namespace vexlor::authoring {
namespace {

namespace fs = std::filesystem;
using testing::kHeader;
using testing::runCommand;
using testing::runInProcess;
using vexlor::testing::readBytes;
using vexlor::testing::TempFolder;

// A connection as the game makes one: read-write, with the module key.
class Keyed {
  public:
    explicit Keyed(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_key(db_, modules::kModuleKey, 8);
    }
    ~Keyed() { sqlite3_close(db_); }
    Keyed(const Keyed&) = delete;
    Keyed& operator=(const Keyed&) = delete;

    bool run(const std::string& sql) {
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // The first column of the first row, or the error.
    std::string value(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        std::string result = "error";
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        else
            result += std::string(": ") + sqlite3_errmsg(db_);
        sqlite3_finalize(statement);
        return result;
    }

  private:
    sqlite3* db_ = nullptr;
};

std::string questionsCsv(int count, const std::string& tag) {
    std::string csv = kHeader;
    for (int i = 1; i <= count; ++i)
        csv += tag + " question " + std::to_string(i) + ",right,wrong a,wrong b,wrong c,10,\r\n";
    return csv;
}

std::string create(const TempFolder& folder, const std::string& name, int count,
                   const std::string& tag, bool force = false) {
    testing::writeBytes(folder.file(tag + ".csv"), questionsCsv(count, tag));
    std::vector<std::string> arguments = {"create", folder.file(name), "--title",
                                          tag,      "--questions",     folder.file(tag + ".csv")};
    if (force) arguments.push_back("--force");
    const auto run = runInProcess(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    return folder.file(name);
}

// The state a crash in the middle of a write leaves: pages of the change already in the module
// and the journal to undo them beside it.
std::string crashedModule(const TempFolder& folder, int questions) {
    const std::string live = create(folder, "live.vxm", questions, "Old");
    Keyed writer(live);
    EXPECT_TRUE(writer.run("PRAGMA cache_size = 2; BEGIN;"));
    EXPECT_TRUE(writer.run("UPDATE MainData SET Question = 'spoilt';"));
    EXPECT_TRUE(fs::exists(live + "-journal"));
    fs::copy_file(live, folder.file("crashed.vxm"));
    fs::copy_file(live + "-journal", folder.file("crashed.vxm-journal"));
    writer.run("ROLLBACK;");
    return folder.file("crashed.vxm");
}

TEST(ToolHostileFiles, CommandsThatOnlyReadLeaveAHotJournalAndItsModuleAsTheyAre) {
    // info, check, export and scores open read-only and say the module needs recovering.
    TempFolder folder;
    const std::string module = crashedModule(folder, 2000);
    const std::string moduleBytes = readBytes(module),
                      journalBytes = readBytes(module + "-journal");
    for (const char* command : {"info", "check", "export", "scores"}) {
        const auto run = runCommand({command, module}, folder);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_EQ(run.err, module +
                               ": needs recovering: the journal beside it (crashed.vxm-journal) "
                               "holds an interrupted write, and this command only reads\n");
        EXPECT_TRUE(readBytes(module) == moduleBytes) << command;  // no dump of the bytes
        EXPECT_TRUE(readBytes(module + "-journal") == journalBytes) << command;
    }
    // A write-ahead log beside it is refused too, and no shared-memory file is made for it.
    const std::string logged = create(folder, "logged.vxm", 3, "Logged");
    testing::writeBytes(logged + "-wal", "a log of some other file");
    const std::string loggedBytes = readBytes(logged);
    const auto run = runCommand({"info", logged}, folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, logged +
                           ": a write-ahead log (-wal or -shm file) lies beside it; modules never "
                           "use one, so it belongs to another file and is not applied\n");
    EXPECT_TRUE(readBytes(logged) == loggedBytes);
    EXPECT_FALSE(fs::exists(logged + "-shm"));

    // The journal was real: a command that writes plays it back and the old questions return.
    EXPECT_EQ(runCommand({"reset-asked", module}, folder).status, 0);
    EXPECT_FALSE(fs::exists(module + "-journal"));
    Keyed recovered(module);
    EXPECT_EQ(recovered.value("PRAGMA integrity_check;"), "ok");
    EXPECT_EQ(recovered.value("SELECT count(*) FROM MainData WHERE Question = 'spoilt';"), "0");
}

TEST(ToolHostileFiles, CreateOverAModuleRemovesTheJournalLeftBesideIt) {
    // A journal of the replaced file is never played into the new module.
    TempFolder folder;
    const std::string module = crashedModule(folder, 5000);
    testing::writeBytes(module + "-wal", "not ours");
    testing::writeBytes(module + "-shm", "not ours");
    testing::writeBytes(folder.file("gone.vxm-journal"), readBytes(module + "-journal"));

    create(folder, "crashed.vxm", 5000, "New", true);
    create(folder, "gone.vxm", 5000, "New");  // a journal whose module was deleted
    for (const std::string name : {"crashed.vxm", "gone.vxm"}) {
        const std::string path = folder.file(name);
        for (const char* side : {"-journal", "-wal", "-shm"})
            EXPECT_FALSE(fs::exists(path + side)) << name << side;
        Keyed opened(path);  // read-write, as the game opens it
        EXPECT_EQ(opened.value("PRAGMA integrity_check;"), "ok") << name;
        EXPECT_EQ(opened.value("SELECT count(*) FROM MainData WHERE Question LIKE 'New %';"),
                  "5000");
        EXPECT_EQ(opened.value("SELECT Question FROM MainData WHERE rowid = 4321;"),
                  "New question 4321");
    }
}

TEST(ToolHostileFiles, EachRefusalSaysWhatIsWrongWithTheFile) {
    // Folders, pipes, broken links, damaged, locked and foreign files get their own message.
    TempFolder folder;
    fs::create_directory(folder.file("folder.vxm"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.vxm").c_str(), 0600), 0);
    fs::create_symlink(folder.file("gone.vxm"), folder.file("link.vxm"));
    const std::string good = create(folder, "good.vxm", 3, "Good");

    // A schema the key decrypts but that does not parse.
    const std::string schema = create(folder, "schema.vxm", 3, "Schema");
    {
        Keyed spoil(schema);
        ASSERT_TRUE(
            spoil.run("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                      "'CREATE TABLE MainData (' WHERE name = 'MainData';"));
    }
    // Question pages overwritten after the first page, which the key still opens.
    const std::string pages = create(folder, "pages.vxm", 3000, "Pages");
    {
        std::string bytes = readBytes(pages);
        for (std::size_t i = 8 * 1024; i < 40 * 1024; ++i) bytes[i] = static_cast<char>(i * 7);
        testing::writeBytes(pages, bytes);
    }
    const std::pair<std::string, std::string> expected[] = {
        {"absent.vxm", "no such file"},
        {"folder.vxm", "is a folder, not a module file"},
        {"pipe.vxm", "is a named pipe (FIFO), not a module file"},
        {"link.vxm", "a symbolic link to " + folder.file("gone.vxm") + ", which does not exist"},
        {"schema.vxm", "the module is damaged (malformed database schema"},
        {"pages.vxm", "cannot read the questions: the module is damaged ("},
    };
    for (const auto& [name, message] : expected) {
        const auto run = runCommand({"check", folder.file(name)}, folder);
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.err.rfind(folder.file(name) + ": " + message, 0), 0u) << run.err;
    }

    // Another program holding the module locked: it is in use, not foreign.
    Keyed holder(good);
    ASSERT_TRUE(holder.run("BEGIN EXCLUSIVE; DELETE FROM Use;"));
    const auto locked = runCommand({"info", good}, folder);
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.err.rfind(good + ": is in use: another program holds it locked", 0), 0u)
        << locked.err;
    holder.run("ROLLBACK;");
    EXPECT_EQ(runCommand({"info", good}, folder).status, 0);
}

TEST(ToolHostileFiles, CraftedSchemasAreRefusedBeforeAnyOfTheirSqlRuns) {
    // Views, virtual tables and triggers are refused; an endless view cannot hang the tool.
    TempFolder folder;
    const std::pair<std::string, std::string> crafted[] = {
        {"DROP TABLE Propriete; CREATE VIEW Propriete AS WITH RECURSIVE r(x) AS (SELECT 1 "
         "UNION ALL SELECT x + 1 FROM r) SELECT 'T' AS Title, x AS Author, x AS Company, x AS "
         "Year FROM r;",
         "not a Vexlor module (Propriete is a view, not a table)"},
        {"DROP TABLE MainData; CREATE VIRTUAL TABLE MainData USING fts4(Question, Reponce, "
         "False1, False2, False3, Points, Audio);",
         "not a Vexlor module (MainData is a virtual table)"},
        {"CREATE TRIGGER Sneaky AFTER DELETE ON Use BEGIN INSERT INTO HScore VALUES "
         "('Sneaky', '', '99999'); END;",
         "not a Vexlor module (it defines a trigger (Sneaky))"},
    };
    int number = 0;
    for (const auto& [sql, message] : crafted) {
        const std::string module =
            create(folder, "crafted" + std::to_string(++number) + ".vxm", 2, "Crafted");
        {
            Keyed craft(module);
            craft.run("INSERT INTO Use VALUES ('1');");
            ASSERT_TRUE(craft.run(sql)) << sql;
        }
        const std::string before = readBytes(module);
        for (const char* command : {"check", "info", "export", "scores", "reset-asked"}) {
            const auto run =
                testing::runShell("timeout 30 " + testing::shellQuoted(VEXLOR_MODULE_TOOL) + " " +
                                      command + " " + testing::shellQuoted(module),
                                  folder);
            EXPECT_EQ(run.status, 1) << command << " " << sql;
            EXPECT_EQ(run.err, module + ": " + message + "\n") << command;
        }
        EXPECT_TRUE(readBytes(module) == before) << sql;
    }
}

TEST(ToolHostileFiles, CheckReportsMediaOutsideTheModuleFolder) {
    // Media must lie in the module's folder or below it, which travels with the module.
    TempFolder folder;
    fs::create_directories(folder.path() / "quiz" / "media");
    for (const char* file : {"x.wav", "quiz/in.wav", "quiz/media/ok.gif"})
        testing::writeBytes(folder.file(file), "x");
    const std::string absolute = folder.file("x.wav");
    const std::string csv = kHeader + "Q1,A,B,C,D,1,../x.wav\r\nQ2,A,B,C,D,1," + absolute +
                            "\r\nQ3,A,B,C,D,1,..\\x.wav\r\nQ4,A,B,C,D,1,media/../../x.wav\r\n"
                            "Q5,A,B,C,D,1,C:\\x.wav\r\nQ6,A,B,C,D,1,media/../in.wav\r\n"
                            "Q7,A,B,C,D,1,./media/ok.gif\r\n";
    const std::string module = testing::makeModule(folder, csv, "quiz/quiz.vxm");
    const auto run = runInProcess({"check", module});
    EXPECT_EQ(run.status, 1);
    const std::string outside =
        " lies outside the module's folder: give a name relative to the "
        "folder, which travels with the module\n";
    EXPECT_EQ(run.out, "question 1: media \"../x.wav\"" + outside + "question 2: media \"" +
                           absolute + "\"" + outside + "question 3: media \"..\\x.wav\"" + outside +
                           "question 4: media \"media/../../x.wav\"" + outside +
                           "question 5: media \"C:\\x.wav\"" + outside);
}

// Starts the tool in a child process.
pid_t spawnTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {VEXLOR_MODULE_TOOL};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    EXPECT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

std::vector<std::string> temporaries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        if (name.find(".tmp") != std::string::npos) names.push_back(name);
    }
    return names;
}

TEST(ToolHostileFiles, AKilledCreateLeavesNoHalfModuleAndTheNextCreateSweepsItsLeftovers) {
    // A create killed at any moment leaves the real name absent or complete.
    TempFolder folder;
    testing::writeBytes(folder.file("big.csv"), questionsCsv(20000, "Big"));
    const std::string module = folder.file("quiz.vxm");
    std::mt19937 random(6);
    int killedMidWrite = 0;
    for (int round = 0; round < 6; ++round) {
        const std::size_t before = temporaries(folder).size();
        const pid_t child =
            spawnTool({"create", module, "--title", "Big", "--questions", folder.file("big.csv")});
        // Kill it at some moment after it began writing its temporary file.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (temporaries(folder).size() == before &&
               std::chrono::steady_clock::now() < deadline &&
               ::waitpid(child, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!fs::exists(module)) {
            killedMidWrite += WIFSIGNALED(status) ? 1 : 0;
            continue;
        }
        Keyed finished(module);
        EXPECT_EQ(finished.value("PRAGMA integrity_check;"), "ok");
        EXPECT_EQ(finished.value("SELECT count(*) FROM MainData;"), "20000");
        fs::remove(module);
    }
    ASSERT_GT(killedMidWrite, 0);
    EXPECT_FALSE(temporaries(folder).empty());

    // Leftovers of a live process, and files of other programs, stay.
    const std::string live = ".other.vxm." + std::to_string(::getpid()) + "-0-0.tmp";
    testing::writeBytes(folder.file(live), "in use");
    testing::writeBytes(folder.file(".notes.tmp"), "not ours");
    testing::writeBytes(folder.file("small.csv"), questionsCsv(1, "Small"));
    const auto swept = runCommand({"create", folder.file("small.vxm"), "--title", "Small",
                                   "--questions", folder.file("small.csv")},
                                  folder);
    EXPECT_EQ(swept.status, 0) << swept.err;
    EXPECT_EQ(temporaries(folder).size(), 2u);
    EXPECT_TRUE(fs::exists(folder.file(live)));
    EXPECT_TRUE(fs::exists(folder.file(".notes.tmp")));
}

}  // namespace
}  // namespace vexlor::authoring
