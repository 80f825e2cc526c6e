// Thousands of seeded random games in virtual time, with clicks on any button or answer at any
// moment, checking the game's invariants after every click and every tick.

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/text_values.h"
#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor::app {
namespace {

using Handler = void (MasterForm::*)();

class Soak {
  public:
    // Games write the asked list on every question: a memory-backed folder keeps that off the
    // disk. Enough questions that the list fills, and is emptied, only now and then.
    explicit Soak(unsigned seed)
        : folder(std::filesystem::is_directory("/dev/shm")
                     ? "/dev/shm"
                     : std::filesystem::temp_directory_path()),
          rng(seed) {
        auto questions = testing::sampleQuestions(300);
        questions[1].audio = "tune.mid";
        questions[2].audio = "Pics\\Flag.GIF";
        questions[3].audio = "missing.wav";
        questions[4].points = "";
        std::filesystem::create_directory(folder.path() / "pics");
        std::ofstream(folder.file("pics/flag.GIF")) << "gif";
        std::ofstream(folder.file("tune.mid")) << "mid";
        EXPECT_TRUE(testing::writeModule(folder.file("soak.vxm"), {.questions = questions}));
        f.fileSystem.current = folder.path().string();
        f.form.Form_Load();
        f.open(folder.file("soak.vxm"));
        // What is checked here is the game, not the file's safety against power loss: the
        // connection keeps its lock and skips syncing, which the authorizer rightly refuses the
        // program, so it is lifted for this test.
        sqlite3* connection = f.form.Data1.store->database().handle();
        sqlite3_set_authorizer(connection, nullptr, nullptr);
        EXPECT_EQ(sqlite3_exec(connection,
                               "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;"
                               "PRAGMA locking_mode = EXCLUSIVE;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        MasterForm& m = f.form;
        for (const auto& [timer, handler] : std::vector<std::pair<platform::Timer*, Handler>>{
                 {&m.TimerStart, &MasterForm::TimerStart_Timer},
                 {&m.TempBar, &MasterForm::TempBar_Timer},
                 {&m.TimerTrente, &MasterForm::TimerTrente_Timer},
                 {&m.TimerReponce, &MasterForm::TimerReponce_Timer},
                 {&m.TimerGOver, &MasterForm::TimerGOver_Timer},
                 {&m.TimerFifty, &MasterForm::TimerFifty_Timer}})
            timer->setHandler([this, timer, handler] {
                (f.form.*handler)();
                check(timer->name());
            });
    }

    // One random event: time passing, or a click on any button or answer, shown or not.
    void step() {
        static const std::vector<std::pair<const char*, Handler>> clicks = {
            {"Start", &MasterForm::Start_Click},   {"NextQ", &MasterForm::NextQ_Click},
            {"Fifty", &MasterForm::Fifty_Click},   {"Pause", &MasterForm::Pause_Click},
            {"Replay", &MasterForm::Replay_Click}, {"A", &MasterForm::PanelRepA_Click},
            {"B", &MasterForm::PanelRepB_Click},   {"C", &MasterForm::PanelRepC_Click},
            {"D", &MasterForm::PanelRepD_Click},   {"About", &MasterForm::About_Click}};
        f.soundPlayer.calls.clear();
        f.pictureLoader.asked.clear();
        if (rng() % 2 == 0) return f.timers.advance(1 + rng() % 2600);
        const auto& [name, click] = clicks[rng() % clicks.size()];
        if (click == &MasterForm::About_Click && !f.form.About.Visible) return;
        if (click == &MasterForm::Start_Click && f.form.Start.Visible) {
            ++games;
            lastScore = 0;
        }
        (f.form.*click)();
        check(std::string("click ") + name);
    }

    void check(const std::string& event) {
        MasterForm& m = f.form;
        std::ostringstream why;
        // Exactly one phase shows, and it is the one the window's phase() names (the phases
        // are listed in this order).
        const bool answering =
            m.TimerTrente.Enabled() || (m.TimerFifty.Enabled() && !m.TimerReponce.Enabled());
        const bool shown[] = {m.Start.Visible, m.TimerStart.Enabled(),
                              answering,       m.TimerReponce.Enabled(),
                              m.NextQ.Visible, m.TimerGOver.Enabled()};
        const auto phases = std::count(std::begin(shown), std::end(shown), true);
        const auto first = std::find(std::begin(shown), std::end(shown), true) - std::begin(shown);
        if (phases != 1)
            why << phases << " phases at once; ";
        else if (static_cast<int>(m.phase()) != first)
            why << "phase() says " << static_cast<int>(m.phase()) << "; ";
        if (m.TempBar.Enabled() && !m.TimerStart.Enabled()) why << "wait bar outside a wait; ";
        if (games > 0) {
            const std::string number = m.PanelQuestion.Caption.substr(9);
            int rights = 0;
            for (const Label* panel : f.panels()) {
                const bool right = panel->DataField == "Reponce";
                rights += right;
                if (!panel->Caption.starts_with((right ? "Right " : "Wrong ") + number))
                    why << panel->name << " shows '" << panel->Caption << "'; ";
            }
            if (rights != 1) why << rights << " panels hold the right answer; ";
        }
        const double score = numericValue(m.Score.Caption);
        if (score < lastScore) why << "score fell to " << m.Score.Caption << "; ";
        lastScore = score;
        if (m.quiz.secondsLeft < 0 || m.Horloge.Caption.find('-') != std::string::npos)
            why << "clock below zero: " << m.Horloge.Caption << "; ";
        ++events;
        if (failure.empty() && !why.str().empty())
            failure = "after event " + std::to_string(events) + " (" + event + "): " + why.str();
    }

    testing::TempFolder folder;
    testing::FormFixture f;
    std::mt19937 rng;
    int games = 0;
    long events = 0;
    double lastScore = 0;
    std::string failure;
};

// Exactly one panel holds the right answer, one phase at a time, the score never falls within
// a game, the clock never goes below zero, and the asked list never holds a number twice,
// whatever is clicked whenever.
TEST(SoakTest, RandomGamesKeepTheInvariants) {
    for (unsigned seed : {1u, 2u}) {
        Soak soak(seed);
        while (soak.games < 1000 && soak.failure.empty()) soak.step();
        EXPECT_EQ(soak.failure, "") << "seed " << seed;
        const auto counts = soak.f.form.Data2.store->database().query(
            "SELECT count(*), count(DISTINCT Use) FROM Use");
        ASSERT_TRUE(counts);
        EXPECT_EQ((*counts)[0][0], (*counts)[0][1]);
        std::cout << "seed " << seed << ": " << soak.games << " games, " << soak.events
                  << " events\n";
    }
}

}  // namespace
}  // namespace vexlor::app
