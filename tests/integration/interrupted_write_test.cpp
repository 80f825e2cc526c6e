// A process writing asked questions and high scores into a module is killed at random moments,
// many times over: the module must stay sound and keep every row the store reported as written.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "modules/module_store.h"
#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor {
namespace {

using namespace std::chrono_literals;

// The writer reports in fixed-size records, shorter than PIPE_BUF, so each arrives whole:
// 'R' ready, 'U' an asked row stored, 'S' a score stored, 'F' a store that failed.
constexpr std::size_t kRecord = 32;

std::string scoreText(long number) {
    char text[8];
    std::snprintf(text, sizeof text, "%05ld", number % 100000);
    return text;
}

std::string rowOf(char kind, long number) {
    return kind == 'U' ? std::to_string(number)
                       : "Player " + std::to_string(number) + "|Jan/07/2000|" + scoreText(number);
}

/// Adds asked rows and score rows as the game does, reporting each one the store accepted,
/// until it is killed.
[[noreturn]] void writeUntilKilled(const std::string& path, long first, std::uint32_t seed,
                                   int channel) {
    auto send = [&](char kind, long number) {
        char record[kRecord] = {};
        std::snprintf(record, sizeof record, "%c %ld", kind, number);
        if (::write(channel, record, sizeof record) != static_cast<ssize_t>(sizeof record))
            ::_exit(4);
    };
    auto opened = modules::ModuleStore::open(path, modules::Access::kReadWrite,
                                             modules::ModuleStore::Layout::kAsFound);
    if (!opened) {
        send('F', 0);
        ::_exit(5);
    }
    modules::ModuleStore& store = *opened;
    send('R', 0);
    std::mt19937 random(seed);
    for (long number = first;; ++number) {
        const bool isScore = random() % 2 == 0;
        const bool stored = isScore ? store
                                          .addScore({"Player " + std::to_string(number),
                                                     "Jan/07/2000", scoreText(number)})
                                          .ok()
                                    : store.markAsked(number).ok();
        send(stored ? (isScore ? 'S' : 'U') : 'F', number);
    }
}

/// The module's integrity verdict and rows, read as another program sees it. The connection
/// stays open over all the kills, so the key is derived once; each read finds a kill's
/// leftover journal and rolls it back first.
class ModuleReader {
  public:
    explicit ModuleReader(const std::string& path)
        : db_(testing::connect(path, SQLITE_OPEN_READWRITE)) {}
    std::multiset<std::string> rows(const char* sql) {
        std::multiset<std::string> found;
        auto take = [](void* into, int, char** values, char**) {
            static_cast<std::multiset<std::string>*>(into)->insert(values[0] ? values[0] : "");
            return 0;
        };
        if (sqlite3_exec(db_.get(), sql, take, &found, nullptr) != SQLITE_OK)
            found.insert(std::string("cannot read: ") + sqlite3_errmsg(db_.get()));
        return found;
    }

  private:
    testing::Connection db_;
};

// Every kill leaves a module that passes the integrity check and holds every acknowledged row
// once, with at most the rows whose acknowledgement a kill cut off besides.
TEST(InterruptedWriteTest, EveryKillLeavesASoundModuleWithEveryAcknowledgedRow) {
    testing::TempFolder folder;
    const std::string path = folder.file("killed.vxm");
    ASSERT_TRUE(testing::writeModule(path, {.questions = testing::sampleQuestions(3),
                                            .used = {"0"},
                                            .scores = {{"Player 0", "Jan/07/2000", "00000"}}}));
    ModuleReader reader(path);
    std::set<std::string> acknowledged = {"0", rowOf('S', 0)};
    std::mt19937 random(20261206);
    const auto started = std::chrono::steady_clock::now();
    int kills = 0;
    std::size_t unacknowledged = 0;  // rows written whose acknowledgement the kill cut off
    for (; kills < 60 && std::chrono::steady_clock::now() - started < 25s; ++kills) {
        SCOPED_TRACE("kill " + std::to_string(kills + 1));
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const std::uint32_t childSeed = static_cast<std::uint32_t>(random());
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            writeUntilKilled(path, (kills + 1) * 1000000L, childSeed, channel[1]);
        }
        ::close(channel[1]);
        // Most kills land among the writes; every fourth may land while the module opens.
        pollfd readable{channel[0], POLLIN, 0};
        if (kills % 4 != 0) ::poll(&readable, 1, 10000);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 250000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;
        char record[kRecord];
        while (::read(channel[0], record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
            record[kRecord - 1] = '\0';
            ASSERT_NE(record[0], 'F') << "a store failed with no other program on the module";
            if (record[0] != 'R') acknowledged.insert(rowOf(record[0], std::atol(record + 2)));
        }
        ::close(channel[0]);

        ASSERT_EQ(reader.rows("PRAGMA integrity_check"), std::multiset<std::string>{"ok"});
        auto stored = reader.rows("SELECT Use FROM Use");
        stored.merge(reader.rows("SELECT Nom || '|' || Date || '|' || Score FROM HScore"));
        for (const auto& row : acknowledged) ASSERT_EQ(stored.count(row), 1u) << row;
        ASSERT_LE(stored.size() - acknowledged.size(), unacknowledged + 1);
        unacknowledged = stored.size() - acknowledged.size();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d kills in %.1f s; %zu rows acknowledged and kept\n", kills, seconds,
                acknowledged.size() - 2);
    EXPECT_GE(kills, 10);
    EXPECT_GE(acknowledged.size(), 12u) << "too few writes to say anything";
}

}  // namespace
}  // namespace vexlor
