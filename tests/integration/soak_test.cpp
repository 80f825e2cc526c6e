// Thousands of seeded random games in virtual time, with clicks on any button or answer at any
// moment, checking the game's invariants after every click and every tick.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>

#include "../support/fakes.h"
#include "../support/module_files.h"
#include "app/text_values.h"

namespace vexlor::app {
namespace {

// Games write the asked list on every question: a memory-backed folder keeps that off the disk.
std::filesystem::path scratchBase() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

class Soak {
  public:
    explicit Soak(unsigned seed) : folder(scratchBase()), rng(seed) {
        // Enough questions that the list of asked ones fills, and is emptied, only now and then:
        // a full list costs a draw 1500 lookups.
        auto questions = testing::sampleQuestions(300);
        questions[1].audio = "tune.mid";
        questions[2].audio = "Pics\\Flag.GIF";
        questions[3].audio = "missing.wav";
        questions[4].points = "";
        std::filesystem::create_directory(folder.path() / "pics");
        std::ofstream(folder.file("pics/flag.GIF")) << "gif";
        std::ofstream(folder.file("tune.mid")) << "mid";
        path = folder.file("soak.vxm");
        EXPECT_TRUE(testing::writeModule(path, {.questions = questions}));

        f.fileSystem.current = folder.path().string();
        f.form.Form_Load();
        f.fileDialog.answers.push_back(path);
        f.form.Modu_Click();
        // What is checked here is the game, not the file's safety against power loss or other
        // programs: the connection is told to keep its lock and skip syncing, which the module
        // library's authorizer rightly refuses to the program, so it is lifted for this test.
        sqlite3* connection = f.form.Data1.database()->handle();
        sqlite3_set_authorizer(connection, nullptr, nullptr);
        EXPECT_EQ(sqlite3_exec(connection,
                               "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;"
                               "PRAGMA locking_mode = EXCLUSIVE;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        // Every tick is an event too: check after each.
        MasterForm& m = f.form;
        const std::vector<std::pair<platform::Timer*, void (MasterForm::*)()>> handlers = {
            {&m.TimerStart, &MasterForm::TimerStart_Timer},
            {&m.TempBar, &MasterForm::TempBar_Timer},
            {&m.TimerTrente, &MasterForm::TimerTrente_Timer},
            {&m.TimerReponce, &MasterForm::TimerReponce_Timer},
            {&m.TimerGOver, &MasterForm::TimerGOver_Timer},
            {&m.TimerFifty, &MasterForm::TimerFifty_Timer}};
        for (const auto& [timer, handler] : handlers) {
            timer->setHandler([this, timer, handler] {
                (f.form.*handler)();
                check(timer->name());
            });
        }
    }

    // One random event: time passing, or a click on any button or answer, shown or not.
    void step() {
        MasterForm& m = f.form;
        f.soundPlayer.calls.clear();
        f.pictureLoader.asked.clear();
        if (std::uniform_int_distribution<int>(0, 1)(rng) == 0) {
            f.timers.advance(std::uniform_int_distribution<int>(1, 2600)(rng));
            return;
        }
        static const std::vector<std::pair<const char*, void (MasterForm::*)()>> clicks = {
            {"Start", &MasterForm::Start_Click},
            {"NextQ", &MasterForm::NextQ_Click},
            {"Fifty", &MasterForm::Fifty_Click},
            {"Pause", &MasterForm::Pause_Click},
            {"Replay", &MasterForm::Replay_Click},
            {"PanelRepA", &MasterForm::PanelRepA_Click},
            {"PanelRepB", &MasterForm::PanelRepB_Click},
            {"PanelRepC", &MasterForm::PanelRepC_Click},
            {"PanelRepD", &MasterForm::PanelRepD_Click},
            {"About", &MasterForm::About_Click}};
        const auto& [name, click] =
            clicks[std::uniform_int_distribution<std::size_t>(0, clicks.size() - 1)(rng)];
        const bool starting = m.Start.Visible && click == &MasterForm::Start_Click;
        if (click == &MasterForm::About_Click && !m.About.Visible) return;
        (m.*click)();
        if (starting) {
            ++games;
            dealt = true;
            lastScore = 0;
        }
        check(std::string("click ") + name);
    }

    void check(const std::string& event) {
        if (!failure.empty()) return;
        MasterForm& m = f.form;
        std::ostringstream why;
        const bool answering =
            m.TimerTrente.Enabled() || (m.TimerFifty.Enabled() && !m.TimerReponce.Enabled());
        const int phases = m.Start.Visible + m.TimerStart.Enabled() + answering +
                           m.TimerReponce.Enabled() + m.NextQ.Visible + m.TimerGOver.Enabled();
        if (phases != 1) why << phases << " phases at once; ";
        if (m.TempBar.Enabled() && !m.TimerStart.Enabled()) why << "wait bar outside a wait; ";
        if (dealt) {
            const std::string number = m.PanelQuestion.Caption.substr(9);
            int rights = 0;
            for (const Label* panel : {&m.PanelRepA, &m.PanelRepB, &m.PanelRepC, &m.PanelRepD}) {
                const bool right = panel->DataField == "Reponce";
                rights += right;
                const std::string expected = (right ? "Right " : "Wrong ") + number;
                if (panel->Caption.rfind(expected, 0) != 0)
                    why << panel->name << " shows '" << panel->Caption << "'; ";
            }
            if (rights != 1) why << rights << " panels hold the right answer; ";
        }
        const double score = numericValue(m.Score.Caption);
        if (score < lastScore) why << "score fell to " << m.Score.Caption << "; ";
        lastScore = score;
        if (m.TimeLeft < 0 || m.Horloge.Caption.find('-') != std::string::npos)
            why << "clock below zero: " << m.Horloge.Caption << "; ";
        ++events;
        if (!why.str().empty())
            failure = "after event " + std::to_string(events) + " (" + event + "): " + why.str();
    }

    testing::TempFolder folder;
    std::string path;
    testing::FormFixture f;
    std::mt19937 rng;
    int games = 0;
    long events = 0;
    bool dealt = false;
    double lastScore = 0;
    std::string failure;
};

// Exactly one panel holds the right answer, one phase at a time, the score never falls within
// a game and the clock never goes below zero, whatever is clicked whenever.
TEST(SoakTest, RandomGamesKeepTheInvariants) {
    constexpr int kGames = 1000;
    for (unsigned seed : {1u, 2u}) {
        Soak soak(seed);
        while (soak.games < kGames && soak.failure.empty()) soak.step();
        EXPECT_EQ(soak.failure, "") << "seed " << seed;
        EXPECT_GE(soak.games, kGames);
        // The asked list never holds a number twice.
        const long count = soak.f.form.Data2.RecordCount();
        std::set<std::string> numbers;
        soak.f.form.Data2.MoveFirst();
        for (long i = 0; i < count; ++i, soak.f.form.Data2.MoveNext())
            numbers.insert(soak.f.form.Use.Text);
        EXPECT_EQ(static_cast<long>(numbers.size()), count);
        std::cout << "seed " << seed << ": " << soak.games << " games, " << soak.events
                  << " events\n";
    }
}

}  // namespace
}  // namespace vexlor::app
