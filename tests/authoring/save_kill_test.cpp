// A save killed at a random moment, or stopped by a full disk, leaves the module as it was
// before the save or as it is after it, never between.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "authoring/document_fixture.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kQuestions = 3000;

// Every row of the module's tables in order, read as another program sees it: a read-write
// connection, so a journal a kill left is rolled back first, as the game's next open would.
std::vector<std::string> content(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(db, "tov3ralu", 8);
    std::vector<std::string> rows;
    auto take = [](void* into, int count, char** values, char**) {
        std::string row;
        for (int i = 0; i < count; ++i) row += std::string(values[i] ? values[i] : "") + "|";
        static_cast<std::vector<std::string>*>(into)->push_back(row);
        return 0;
    };
    for (const char* sql :
         {"PRAGMA integrity_check", "SELECT * FROM Propriete ORDER BY rowid",
          "SELECT * FROM MainData ORDER BY rowid", "SELECT * FROM Use ORDER BY rowid",
          "SELECT * FROM HScore ORDER BY rowid"})
        if (sqlite3_exec(db, sql, take, &rows, nullptr) != SQLITE_OK)
            rows.push_back(std::string("cannot read: ") + sqlite3_errmsg(db));
    sqlite3_close(db);
    return rows;
}

// The edits of every save here: the asked list is renumbered, rows deleted, moved, edited and
// added, the properties changed.
void edit(Document& document) {
    EditHistory history(document);
    push(history, document.deleteQuestions({0, 10, 2000}));
    push(history, document.moveQuestions({5, 6, 7}, true));
    for (std::size_t row = 100; row < 1100; row += 7)
        push(history, document.setQuestionField(row, QuestionField::kWrong2,
                                                "edited " + std::to_string(row)));
    push(history, document.insertQuestions(50, {document.question(1), document.question(2)}));
    push(history, document.setProperty(PropertyField::kTitle, "Edited"));
}

std::vector<std::string> askedAll() {
    std::vector<std::string> asked;
    for (int i = 1; i < kQuestions; ++i) asked.push_back(std::to_string(i));
    return asked;
}

// Runs `save` in a child process `kills` times, each killed at a random moment from the start
// of the save to a little past its end (`saveTime` long), after `prepare`; `check` then looks
// at what the kill left. Gives how many kills left the module as before.
int killDuringSaves(int kills, std::chrono::microseconds saveTime,
                    const std::function<void()>& prepare,
                    const std::function<bool(Document&)>& save, const std::string& path,
                    const std::function<bool()>& check) {
    std::mt19937 random(20261207);
    int unchanged = 0;
    for (int kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        prepare();
        int channel[2];
        EXPECT_EQ(::pipe(channel), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            auto opened = Document::open(path);
            if (!opened) ::_exit(3);
            edit(*opened);
            if (::write(channel[1], "R", 1) != 1) ::_exit(4);
            ::_exit(save(*opened) ? 0 : 5);
        }
        ::close(channel[1]);
        pollfd ready{channel[0], POLLIN, 0};
        EXPECT_EQ(::poll(&ready, 1, 60000), 1);
        std::this_thread::sleep_for(std::chrono::microseconds(
            random() % static_cast<std::uint32_t>(saveTime.count() * 5 / 4 + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(channel[0]);
        EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
            << "status " << status;
        if (check()) ++unchanged;
        if (::testing::Test::HasFailure()) break;
    }
    return unchanged;
}

template <typename Save>
std::chrono::microseconds timed(Save save) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(save());
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 started);
}

TEST(SaveKillTest, AKillAtAnyMomentLeavesTheModuleAsBeforeOrAsAfter) {
    TempFolder folder;
    const std::string path = sampleModule(folder, kQuestions, askedAll(), {{"Ann", "d", "5"}});
    const std::string original = vexlor::testing::readBytes(path);
    const std::vector<std::string> before = content(path);

    // The save run to its end, once, gives the content after and how long a save takes.
    const std::string model = folder.file("model.vxm");
    writeBytes(model, original);
    Document document = openDocument(model);
    edit(document);
    const auto saveTime = timed([&] { return document.save().ok(); });
    const std::vector<std::string> after = content(model);
    ASSERT_EQ(after.front(), "ok|");
    ASSERT_NE(before, after);

    const int kills = 15;
    const int asBefore = killDuringSaves(
        kills, saveTime, [&] { writeBytes(path, original); },
        [](Document& opened) { return opened.save().ok(); }, path,
        [&] {
            const std::vector<std::string> found = content(path);
            EXPECT_EQ(found.front(), "ok|");
            EXPECT_TRUE(found == before || found == after);
            return found == before;
        });
    std::printf("%d kills during a save of %lld us: %d left it as before, %d as after\n", kills,
                static_cast<long long>(saveTime.count()), asBefore, kills - asBefore);
}

TEST(SaveKillTest, AKilledSaveAsLeavesTheOriginalAndTheTargetWholeAndNoTemporaryForLong) {
    // The module the author opened is never touched; the file saved over is the old one or the
    // complete copy; what a killed Save As left beside it is swept by the next write there.
    TempFolder folder;
    const std::string path = sampleModule(folder, kQuestions, askedAll(), {{"Ann", "d", "5"}});
    const std::string original = vexlor::testing::readBytes(path);
    const std::string target = folder.file("copy.vxm");
    const std::string old = folder.file("old.vxm");
    ASSERT_TRUE(
        vexlor::testing::writeModule(old, {.questions = vexlor::testing::sampleQuestions(2)}));
    const std::string oldBytes = vexlor::testing::readBytes(old);
    const std::vector<std::string> before = content(old);

    Document document = openDocument(path);
    edit(document);
    const std::string model = folder.file("model.vxm");
    writeBytes(model, oldBytes);
    const auto saveTime = timed([&] { return document.saveAs(model, true).ok(); });
    const std::vector<std::string> after = content(model);
    ASSERT_NE(before, after);
    fs::remove(model);

    const int kills = 15;
    const int asBefore = killDuringSaves(
        kills, saveTime, [&] { writeBytes(target, oldBytes); },
        [&](Document& opened) { return opened.saveAs(target, true).ok(); }, path,
        [&] {
            EXPECT_EQ(vexlor::testing::readBytes(path), original);
            const std::vector<std::string> found = content(target);
            EXPECT_EQ(found.front(), "ok|");
            EXPECT_TRUE(found == before || found == after);
            // The sweep takes what a dead save left, whole or half written.
            removeStaleTemporaries(folder.path());
            std::set<std::string> names;
            for (const auto& entry : fs::directory_iterator(folder.path()))
                names.insert(entry.path().filename().string());
            EXPECT_EQ(names, (std::set<std::string>{"quiz.vxm", "copy.vxm", "old.vxm"}));
            return found == before;
        });
    std::printf("%d kills during a Save As of %lld us: %d left the target as before, %d as after\n",
                kills, static_cast<long long>(saveTime.count()), asBefore, kills - asBefore);
}

TEST(SaveKillTest, AFullDiskLeavesTheModuleAsBeforeAndTheEditsInTheDocument) {
    // However little room is left, a save either completes or fails saying the disk is full,
    // the module as before and the document still modified; with room it goes through.
    TempFolder folder;
    const std::string disk = folder.file("disk");
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "filling a disk needs a small tmpfs, and mounting one needs root";
    const std::unique_ptr<const char, int (*)(const char*)> unmount(disk.c_str(), ::umount);
    const std::string path = sampleModule(folder, kQuestions, askedAll(), {}, "disk/quiz.vxm");
    const std::vector<std::string> before = content(path);
    const std::string filler = folder.file("disk/filler");
    Document document = openDocument(path);
    edit(document);
    EditHistory history(document);
    // Long texts make the save grow the module.
    for (std::size_t row = 0; row < 300; ++row)
        push(history, document.setQuestionField(row, QuestionField::kText, std::string(900, 'x')));
    int refused = 0;
    for (const off_t room : {0, 4 << 10, 32 << 10, 128 << 10, 256 << 10}) {
        SCOPED_TRACE(room);
        {
            const int fill = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const std::string block(4096, 'x');
            while (::write(fill, block.data(), block.size()) == 4096) {
            }
            ASSERT_EQ(::ftruncate(fill, std::max<off_t>(0, ::lseek(fill, 0, SEEK_END) - room)), 0);
            ::close(fill);
        }
        auto saved = document.save();
        fs::remove(filler);
        if (saved.ok()) break;
        ++refused;
        EXPECT_NE(saved.error().message().find("disk is full"), std::string::npos) << saved.error();
        EXPECT_TRUE(document.modified());
        EXPECT_EQ(content(path), before);
    }
    EXPECT_GE(refused, 1);
    if (document.modified()) {
        ASSERT_TRUE(document.save().ok());
    }
    EXPECT_EQ(content(path).front(), "ok|");
    EXPECT_EQ(column(path, "SELECT Title FROM Propriete"), std::vector<std::string>{"Edited"});
}

}  // namespace
}  // namespace vexlor::authoring::testing
