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

#include "../support/module_files.h"
#include "modules/module_database.h"
#include "tool_support.h"

extern char** environ;

namespace vexlor::authoring {
namespace {

namespace fs = std::filesystem;
using testing::kHeader;
using testing::runCommand;
using vexlor::testing::readBytes;
using vexlor::testing::TempFolder;

// A connection as the game makes one: read-write, with the module key.
using Connection = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;
Connection keyed(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_key(db, modules::kModuleKey, 8);
    return Connection(db, sqlite3_close);
}
bool run(const Connection& db, const std::string& sql) {
    return sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}
// The first column of the first row, read with a connection of its own.
std::string value(const std::string& path, const std::string& sql) {
    const auto values = vexlor::testing::readColumn(path, sql);
    return values.empty() ? "none" : values.front();
}

std::string questionsCsv(int count, const std::string& tag) {
    std::string csv = kHeader;
    for (int i = 1; i <= count; ++i)
        csv += tag + " question " + std::to_string(i) + ",right,wrong a,wrong b,wrong c,10,\r\n";
    return csv;
}

std::string create(const TempFolder& folder, const std::string& name, int count,
                   const std::string& tag, bool force = false) {
    return testing::makeModule(folder, questionsCsv(count, tag), name, force);
}

// The state a crash in the middle of a write leaves: pages of the change already in the module
// and the journal to undo them beside it.
std::string crashedModule(const TempFolder& folder, int questions) {
    const std::string live = create(folder, "live.vxm", questions, "Old");
    const Connection writer = keyed(live);
    EXPECT_TRUE(run(writer, "PRAGMA cache_size = 2; BEGIN; UPDATE MainData SET Question = 'x';"));
    fs::copy_file(live, folder.file("crashed.vxm"));
    fs::copy_file(live + "-journal", folder.file("crashed.vxm-journal"));
    run(writer, "ROLLBACK;");
    return folder.file("crashed.vxm");
}

TEST(ToolHostileFiles, ACreateNeverPlaysALeftOverJournalOrLogIntoTheNewModule) {
    // A create over a module removes its journal, log and shared memory, as it does a journal
    // whose module was deleted.
    TempFolder folder;
    const std::string module = crashedModule(folder, 2000);
    testing::writeBytes(module + "-wal", "not ours");
    testing::writeBytes(module + "-shm", "not ours");
    fs::copy_file(module + "-journal", folder.file("gone.vxm-journal"));
    create(folder, "crashed.vxm", 2000, "New", true);
    create(folder, "gone.vxm", 2000, "New");
    for (const std::string name : {"crashed.vxm", "gone.vxm"}) {
        const std::string path = folder.file(name);
        for (const char* side : {"-journal", "-wal", "-shm"})
            EXPECT_FALSE(fs::exists(path + side)) << name << side;
        EXPECT_EQ(value(path, "PRAGMA integrity_check;"), "ok") << name;
        EXPECT_EQ(value(path, "SELECT count(*) FROM MainData WHERE Question LIKE 'New %';"),
                  "2000");
    }
}

TEST(ToolHostileFiles, EachRefusalSaysWhatIsWrongWithTheFileAndLeavesItAsItWas) {
    // Journals, logs, folders, pipes, broken links, noise, other keys, missing tables, damaged
    // and locked files (crafted schemas have their own suite) get their own message, and no command
    // writes to a file it refuses.
    TempFolder folder;
    const std::string crashed = crashedModule(folder, 2000),
                      journal = readBytes(crashed + "-journal");
    testing::writeBytes(create(folder, "logged.vxm", 3, "Logged") + "-wal", "another file's log");
    std::mt19937 generator(7);
    std::string noise(8192, '\0');
    for (char& byte : noise) byte = static_cast<char>(generator());
    testing::writeBytes(folder.file("noise.vxm"), noise);
    for (const auto& [name, key] : {std::pair{"other-key.vxm", "not the key"},
                                    std::pair{"no-tables.vxm", modules::kModuleKey}}) {
        auto database = modules::ModuleDatabase::create(folder.file(name), key);
        ASSERT_TRUE(database && database->execute("CREATE TABLE MainData (Question TEXT);"));
    }
    fs::create_directory(folder.file("folder.vxm"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.vxm").c_str(), 0600), 0);
    fs::create_symlink(folder.file("gone.vxm"), folder.file("link.vxm"));

    // A schema the key decrypts but that does not parse.
    const std::string schema = create(folder, "schema.vxm", 3, "Schema");
    ASSERT_TRUE(run(keyed(schema),
                    "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                    "'CREATE TABLE MainData (' WHERE name = 'MainData';"));
    // Question pages overwritten after the first page, which the key still opens.
    const std::string pages = create(folder, "pages.vxm", 3000, "Pages");
    {
        std::string bytes = readBytes(pages);
        for (std::size_t i = 8 * 1024; i < 40 * 1024; ++i) bytes[i] = static_cast<char>(i * 7);
        testing::writeBytes(pages, bytes);
    }
    const std::string foreign = "not a Vexlor module (it cannot be read with the module key";
    const std::vector<std::string> check = {"check"}, writes = {"reset-asked"},
                                   reads = {"info", "check", "export", "scores"},
                                   all = {"info", "check", "export", "reset-asked", "scores"};
    const struct {
        std::string name, message;
        const std::vector<std::string>& commands;
    } expected[] = {
        {"crashed.vxm",
         "needs recovering: the journal beside it (crashed.vxm-journal) holds an interrupted "
         "write, and this command only reads\n",
         reads},
        {"logged.vxm",
         "a write-ahead log (-wal or -shm file) lies beside it; modules never use one, so it "
         "belongs to another file and is not applied\n",
         reads},
        {"absent.vxm", "no such file", check},
        {"folder.vxm", "is a folder, not a module file", check},
        {"pipe.vxm", "is a named pipe (FIFO), not a module file", check},
        {"link.vxm", "a symbolic link to " + folder.file("gone.vxm") + ", which does not exist",
         check},
        {"schema.vxm", "the module is damaged (malformed database schema", check},
        {"pages.vxm", "cannot read the questions: the module is damaged (", check},
        {"noise.vxm", foreign, all},
        {"other-key.vxm", foreign, writes},
        {"no-tables.vxm", "not a Vexlor module (its table MainData has no column Reponce)", writes},
    };
    for (const auto& [name, message, commands] : expected) {
        const std::string path = folder.file(name);
        const std::string before = fs::is_regular_file(path) ? readBytes(path) : "";
        for (const std::string& command : commands) {
            const auto run = runCommand({command, path}, folder);
            EXPECT_EQ(run.status, 1) << command << " " << name;
            EXPECT_EQ(run.out, "") << command << " " << name;
            EXPECT_EQ(run.err.rfind(path + ": " + message, 0), 0u) << run.err;
        }
        EXPECT_TRUE(before.empty() || readBytes(path) == before) << name;
    }

    EXPECT_TRUE(readBytes(crashed + "-journal") == journal);  // no dump of the bytes
    EXPECT_FALSE(fs::exists(folder.file("logged.vxm-shm")));

    // Another program holding the module locked: it is in use, not foreign.
    const std::string good = create(folder, "good.vxm", 3, "Good");
    const Connection holder = keyed(good);
    ASSERT_TRUE(run(holder, "BEGIN EXCLUSIVE; DELETE FROM Use;"));
    const auto locked = runCommand({"info", good}, folder);
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.err.rfind(good + ": is in use: another program holds it locked", 0), 0u)
        << locked.err;
    run(holder, "ROLLBACK;");
    EXPECT_EQ(runCommand({"info", good}, folder).status, 0);
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

// The peak memory of the tool, in bytes. It is measured by time(1), as a child of the
// tool's own would count the memory of this process it started from.
std::size_t peakMemoryOf(const std::vector<std::string>& arguments, const TempFolder& folder) {
    // Freed memory the address checker holds back would be counted as the reader's.
    std::string line =
        "ASAN_OPTIONS=\"$ASAN_OPTIONS:quarantine_size_mb=0:detect_leaks=0\" "
        "/usr/bin/time -f %M -o " +
        testing::shellQuoted(folder.file(".peak")) + " " + testing::shellQuoted(VEXLOR_MODULE_TOOL);
    for (const auto& argument : arguments) line += " " + testing::shellQuoted(argument);
    testing::runShell(line, folder);
    // The figure in KiB ends the output, after a line on the tool's exit status.
    std::string kib = readBytes(folder.file(".peak"));
    kib.erase(0, kib.find_last_of('\n', kib.size() - 2) + 1);
    return std::stoul(kib) * 1024;
}

TEST(ToolHostileFiles, AQuestionFileIsReadInAFewTimesItsSizeOfMemory) {
    // Commas, line breaks and nested brackets once cost the readers a hundred times the file's
    // size; the tool's own start-up is what it needs for a file of one question.
    TempFolder folder;
    constexpr std::size_t kSize = 16u << 20;
    testing::writeBytes(folder.file("one.csv"), kHeader + "Q,A,B,C,D,1,\r\n");
    std::string nested;
    while (nested.size() < kSize)
        nested += (nested.empty() ? "{\"" : ",\"") + std::to_string(nested.size()) +
                  "\":" + std::string(30, '[') + std::string(30, ']');
    const std::pair<std::string, std::string> files[] = {{"commas.csv", std::string(kSize, ',')},
                                                         {"breaks.json", std::string(kSize, '\n')},
                                                         {"nested.json", nested + "}"}};
    const std::size_t startUp = peakMemoryOf({"import-check", folder.file("one.csv")}, folder);
    for (const auto& [name, text] : files) {
        testing::writeBytes(folder.file(name), text);
        EXPECT_LT(peakMemoryOf({"import-check", folder.file(name)}, folder),
                  startUp + 4 * text.size() + (50u << 20))
            << name;
    }
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
        // Names, not a count: this create sweeps the file the last one left as it makes its own.
        const std::vector<std::string> before = temporaries(folder);
        const auto started = [&] {
            for (const std::string& name : temporaries(folder))
                if (std::find(before.begin(), before.end(), name) == before.end()) return true;
            return false;
        };
        const pid_t child =
            spawnTool({"create", module, "--title", "Big", "--questions", folder.file("big.csv")});
        // Kill it at some moment after it began writing its temporary file.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!started() && std::chrono::steady_clock::now() < deadline &&
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
        EXPECT_EQ(value(module, "PRAGMA integrity_check;"), "ok");
        EXPECT_EQ(value(module, "SELECT count(*) FROM MainData;"), "20000");
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
