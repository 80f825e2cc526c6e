// A process writing asked questions and high scores into a module is killed at random moments,
// many times over: the module must stay sound and keep every row the store reported as written.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../support/fakes.h"
#include "../support/module_files.h"
#include "modules/data_source.h"

namespace vexlor {
namespace {

using namespace std::chrono_literals;

constexpr int kMaxKills = 60;
constexpr auto kTimeBudget = 25s;
constexpr std::uint32_t kSeed = 20261206;

// Messages from the writer: fixed-size records, shorter than PIPE_BUF, so each arrives whole.
constexpr std::size_t kRecord = 32;

void send(int channel, char kind, long number) {
    char record[kRecord] = {};
    std::snprintf(record, sizeof record, "%c %ld", kind, number);
    if (::write(channel, record, sizeof record) != static_cast<ssize_t>(sizeof record)) ::_exit(4);
}

std::string scoreText(long number) {
    char text[8];
    std::snprintf(text, sizeof text, "%05ld", number % 100000);
    return text;
}

/// The writer: adds asked rows and score rows as the game does, reporting each one the store
/// accepted, until it is killed.
[[noreturn]] void writeUntilKilled(const std::string& path, long first, std::uint32_t seed,
                                   int channel) {
    const std::string useField = "Use", nomField = "Nom", dateField = "Date", scoreField = "Score";
    std::string useText, nom, date, score;
    modules::DataSource asked("Data2"), scores("Data4");
    asked.bindElement(useText, useField, true);
    scores.bindElement(nom, nomField, true);
    scores.bindElement(date, dateField, true);
    scores.bindElement(score, scoreField, true);
    for (auto* source : {&asked, &scores}) {
        source->Connect = ";pwd=tov3ralu";
        source->DatabaseName = path;
    }
    asked.RecordSource = "Use";
    scores.RecordSource = "HScore";
    if (!asked.Refresh() || !scores.Refresh()) {
        send(channel, 'F', 0);
        ::_exit(5);
    }
    send(channel, 'R', 0);
    std::mt19937 random(seed);
    for (long number = first;; ++number) {
        const bool isScore = random() % 2 == 0;
        modules::DataSource& source = isScore ? scores : asked;
        bool stored = source.AddNew();
        if (isScore) {
            nom = "Player " + std::to_string(number);
            date = "Jan/07/2000";
            score = scoreText(number);
        } else {
            useText = std::to_string(number);
        }
        // The game stores a new record by moving or by refreshing.
        stored = stored && (random() % 2 == 0 ? source.MoveLast() : source.Refresh());
        send(channel, stored ? (isScore ? 'S' : 'U') : 'F', number);
    }
}

struct Acknowledged {
    std::set<std::string> asked;
    std::set<std::string> scores;  // "name|date|score"
    long failures = 0;
    bool ready = false;
};

void readRecords(int channel, Acknowledged& acknowledged) {
    char record[kRecord];
    while (::read(channel, record, sizeof record) == static_cast<ssize_t>(sizeof record)) {
        record[kRecord - 1] = '\0';
        const long number = std::strtol(record + 2, nullptr, 10);
        switch (record[0]) {
            case 'U':
                acknowledged.asked.insert(std::to_string(number));
                break;
            case 'S':
                acknowledged.scores.insert("Player " + std::to_string(number) + "|Jan/07/2000|" +
                                           scoreText(number));
                break;
            case 'R':
                acknowledged.ready = true;
                break;
            default:
                ++acknowledged.failures;
        }
    }
}

struct ModuleState {
    std::string integrity;
    std::multiset<std::string> asked;
    std::multiset<std::string> scores;
};

/// The module as another program sees it. The connection stays open over all the kills, so
/// the key is derived once; each read finds a kill's leftover journal and rolls it back first.
class ModuleReader {
  public:
    explicit ModuleReader(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_key(db_, modules::kModuleKey, 8);
    }
    ~ModuleReader() { sqlite3_close(db_); }
    ModuleReader(const ModuleReader&) = delete;
    ModuleReader& operator=(const ModuleReader&) = delete;

    ModuleState read() {
        ModuleState state;
        each(state, "PRAGMA integrity_check;",
             [&](const std::string& row) { state.integrity += row; });
        each(state, "SELECT Use FROM Use;",
             [&](const std::string& row) { state.asked.insert(row); });
        each(state, "SELECT Nom, Date, Score FROM HScore;",
             [&](const std::string& row) { state.scores.insert(row); });
        return state;
    }

  private:
    template <typename Take>
    void each(ModuleState& state, const char* sql, Take&& take) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            state.integrity += std::string(" cannot read: ") + sqlite3_errmsg(db_);
            return;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row +=
                    (c ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
            }
            take(row);
        }
        sqlite3_finalize(statement);
    }

    sqlite3* db_ = nullptr;
};

TEST(InterruptedWriteTest, EveryKillLeavesASoundModuleWithEveryAcknowledgedRow) {
    testing::TempFolder folder;
    const std::string path = folder.file("killed.vxm");
    // One row in each table to start with, so every store happens on a table with records.
    ASSERT_TRUE(testing::writeModule(path, {.questions = testing::sampleQuestions(3),
                                            .used = {"0"},
                                            .scores = {{"Player 0", "Jan/07/2000", "00000"}}}));

    ModuleReader reader(path);
    Acknowledged acknowledged;
    acknowledged.asked.insert("0");
    acknowledged.scores.insert("Player 0|Jan/07/2000|00000");
    std::mt19937 random(kSeed);
    const auto started = std::chrono::steady_clock::now();
    int kills = 0;
    long unacknowledged = 0;  // rows written whose acknowledgement the kill cut off
    for (; kills < kMaxKills && std::chrono::steady_clock::now() - started < kTimeBudget; ++kills) {
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const long first = (kills + 1) * 1000000L;
        const std::uint32_t childSeed = static_cast<std::uint32_t>(random());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(channel[0]);
            writeUntilKilled(path, first, childSeed, channel[1]);
        }
        ::close(channel[1]);
        // Most kills land among the writes; every fourth may land while the module opens.
        if (kills % 4 != 0) {
            pollfd readable{channel[0], POLLIN, 0};
            ::poll(&readable, 1, 10000);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 250000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        Acknowledged now;
        readRecords(channel[0], now);
        ::close(channel[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;
        ASSERT_EQ(now.failures, 0) << "a store failed with no other program on the module";
        acknowledged.asked.insert(now.asked.begin(), now.asked.end());
        acknowledged.scores.insert(now.scores.begin(), now.scores.end());

        const ModuleState state = reader.read();
        ASSERT_EQ(state.integrity, "ok") << "after kill " << kills + 1;
        for (const auto& row : acknowledged.asked)
            ASSERT_EQ(state.asked.count(row), 1u) << "asked row " << row << ", kill " << kills + 1;
        for (const auto& row : acknowledged.scores)
            ASSERT_EQ(state.scores.count(row), 1u) << "score " << row << ", kill " << kills + 1;
        // At most the one row in flight when the kill came is there without acknowledgement.
        const std::size_t extra = state.asked.size() + state.scores.size() -
                                  acknowledged.asked.size() - acknowledged.scores.size();
        ASSERT_LE(extra, static_cast<std::size_t>(unacknowledged + 1)) << "kill " << kills + 1;
        unacknowledged = static_cast<long>(extra);
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d kills in %.1f s; %zu asked rows and %zu scores acknowledged and kept\n", kills,
                seconds, acknowledged.asked.size() - 1, acknowledged.scores.size() - 1);
    EXPECT_GE(kills, 10);
    EXPECT_GE(acknowledged.asked.size() + acknowledged.scores.size(), 10u)
        << "too few writes to say anything";
}

}  // namespace
}  // namespace vexlor
