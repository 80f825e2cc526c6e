// Damaged, crafted, locked and interrupted module files: the tool says what is wrong with each,
// never writes a module it only reads, and never lets a left-over file spoil a new module.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include "modules/module_database.h"
#include "support/module_files.h"
#include "tool_support.h"

extern char** environ;

namespace vexlor::authoring {
namespace {

namespace fs = std::filesystem;
using testing::kHeader;
using testing::runCommand;
using vexlor::testing::readBytes;
using vexlor::testing::TempFolder;
using namespace std::chrono_literals;

// A connection as the game makes one: read-write, with the module key.
using vexlor::testing::Connection;
constexpr auto keyed = [](const std::string& path) { return vexlor::testing::connect(path); };
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
        auto database =
            vexlor::testing::must(modules::ModuleDatabase::create(folder.file(name), key));
        ASSERT_TRUE(database->execute("CREATE TABLE MainData (Question TEXT);"));
    }
    fs::create_directory(folder.file("folder.vxm"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.vxm").c_str(), 0600), 0);
    fs::create_symlink(folder.file("gone.vxm"), folder.file("link.vxm"));
    // Side files the engine would open, blocking on a pipe.
    ASSERT_EQ(::mkfifo((create(folder, "piped.vxm", 3, "Piped") + "-journal").c_str(), 0600), 0);
    fs::create_directory(create(folder, "shm.vxm", 3, "Shm") + "-shm");

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
        {"piped.vxm",
         "piped.vxm-journal beside it is a named pipe, not a journal the module could have "
         "written; remove it",
         all},
        {"shm.vxm",
         "shm.vxm-shm beside it is a folder, not a journal the module could have written; "
         "remove it",
         reads},
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
    // Millions of tiny questions, more than any module holds, are counted, not kept.
    std::string tinyCsv = kHeader, tinyAiken;
    while (tinyCsv.size() < kSize) tinyCsv += "Q,A,B,C,D,1,\r\n";
    while (tinyAiken.size() < kSize) tinyAiken += "Q\nA) a\nB) b\nC) c\nD) d\nANSWER: A\n\n";
    const std::pair<std::string, std::string> files[] = {{"commas.csv", std::string(kSize, ',')},
                                                         {"breaks.json", std::string(kSize, '\n')},
                                                         {"nested.json", nested + "}"},
                                                         {"tiny.csv", tinyCsv},
                                                         {"tiny.txt", tinyAiken}};
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

    // Only the tool's own temporaries of a gone run go: named as it names them, by a process
    // not running (a reused pid began later), not locked, whole or half written. Whatever else
    // lies there stays, of any age: names like the tool's, a live run's module, a locked one,
    // and side files without their temporary.
    const std::string self = readBytes("/proc/self/stat");
    std::istringstream stat(self.substr(self.rfind(')') + 1));
    std::string start;
    for (int field = 3; field <= 22; ++field) stat >> start;
    const std::string ours = ".x.vxm.vexlor-module-" + std::to_string(::getpid()) + "-",
                      tiny = readBytes(create(folder, "tiny.vxm", 1, "Tiny"));
    const struct {
        std::string name, content;
        bool stays;
    } files[] = {{ours + start + "-0.vxm.tmp", tiny, true},
                 {ours + start + "0-1.vxm.tmp", tiny, false},
                 {ours + start + "0-2.vxm.tmp", "", false},
                 {ours + start + "0-3.vxm.tmp", tiny, true},  // locked below
                 {ours + start + "0-4.vxm.tmp", "half a module", false},
                 {ours + start + "0-5.vxm.tmp-journal", "", true},
                 {".thesis.odt.4000000-1-1.tmp", "", true},
                 {".notes.2-0-0.tmp", tiny, true},
                 {".notes.tmp", "", true}};
    std::vector<std::string> staying;
    for (const auto& [name, content, stays] : files) {
        testing::writeBytes(folder.file(name), content);
        fs::last_write_time(folder.file(name), fs::file_time_type::clock::now() - 48h);
        if (stays) staying.push_back(name);
    }
    const int locked = ::open(folder.file(files[3].name).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(locked, LOCK_EX), 0);
    testing::writeBytes(folder.file("small.csv"), questionsCsv(1, "Small"));
    const auto swept = runCommand({"create", folder.file("small.vxm"), "--title", "Small",
                                   "--questions", folder.file("small.csv")},
                                  folder);
    ::close(locked);
    EXPECT_EQ(swept.status, 0) << swept.err;
    std::vector<std::string> left = temporaries(folder);
    std::sort(left.begin(), left.end());
    std::sort(staying.begin(), staying.end());
    EXPECT_EQ(left, staying);
}

TEST(ToolHostileFiles, AnAddThatFindsTheDiskFullLeavesTheModuleByteForByte) {
    // Whether the journal or the module runs out of room, the add fails and the module keeps
    // its bytes, not only its rows; with room it goes through.
    TempFolder folder;
    const std::string disk = folder.file("disk");
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=512k") != 0)
        GTEST_SKIP() << "filling a disk needs a small tmpfs, and mounting one needs root";
    const std::unique_ptr<const char, int (*)(const char*)> unmount(disk.c_str(), ::umount);
    const std::string module = create(folder, "disk/quiz.vxm", 200, "Old"),
                      before = readBytes(module), filler = folder.file("disk/filler");
    testing::writeBytes(folder.file("more.csv"), questionsCsv(2000, "More"));
    const std::vector<std::string> add = {"add", module, "--questions", folder.file("more.csv")};
    for (const off_t room : {0, 8 << 10, 64 << 10, 160 << 10}) {
        const int fill = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::string block(4096, 'x');
        while (::write(fill, block.data(), block.size()) == 4096) {
        }
        ASSERT_EQ(::ftruncate(fill, std::max<off_t>(0, ::lseek(fill, 0, SEEK_END) - room)), 0);
        ::close(fill);
        EXPECT_EQ(testing::runInProcess(add).err,
                  module + ": cannot add the questions: the disk is full\n")
            << room;
        EXPECT_TRUE(readBytes(module) == before) << room;
        fs::remove(filler);
    }
    EXPECT_EQ(testing::runInProcess(add).status, 0);
    EXPECT_EQ(value(module, "SELECT count(*) FROM MainData;"), "2200");
}

TEST(ToolHostileFiles, AWriteWaitsWhileTheGameSavesAScore) {
    // The game holds the write lock for a moment when it saves a score; a write of the tool
    // that comes then waits for it, instead of failing at once as "in use".
    TempFolder folder;
    const std::string module = create(folder, "quiz.vxm", 3, "Quiz");
    testing::writeBytes(folder.file("more.csv"), questionsCsv(2, "More"));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"add", module, "--questions", folder.file("more.csv")},
          {"reset-asked", module}}) {
        const Connection game = keyed(module);
        // The game waits too, for a tool that is reading the file at the moment it commits.
        sqlite3_busy_timeout(game.get(), 2000);
        ASSERT_TRUE(run(game, "BEGIN IMMEDIATE; INSERT INTO HScore VALUES ('Ann', 'x', '1');"));
        std::thread saving([&] {
            std::this_thread::sleep_for(300ms);
            EXPECT_TRUE(run(game, "COMMIT;"));
        });
        const auto result = testing::runInProcess(command);
        saving.join();
        EXPECT_EQ(result.status, 0) << result.err;
    }
    EXPECT_EQ(value(module, "SELECT count(*) FROM HScore;"), "2");
}

}  // namespace
}  // namespace vexlor::authoring
