// The question draw at its worst and the game's handlers, on a module of 32767 questions.
// Run: build/.../bench/game_bench

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "modules/module_database.h"
#include "modules/module_store.h"
#include "modules/transaction.h"
#include "support/fakes.h"

namespace {

using namespace vexlor;

constexpr int kQuestions = 32767;

// Lists the questions 1 to `count` as asked.
void fillAskedList(modules::ModuleDatabase& database, int count) {
    for (int i = 1; i <= count; ++i)
        testing::must(database.query("INSERT INTO Use VALUES (?);", {std::to_string(i)}));
}

// A module of 32767 questions whose list of asked questions holds `asked` numbers (1, 2, ...),
// with or without an index on the list. One file per variant for the whole run.
std::string largeModule(int asked, bool indexed) {
    static testing::TempFolder folder;
    const std::string file =
        folder.file("large-" + std::to_string(asked) + (indexed ? "-indexed" : "") + ".vxm");
    if (std::filesystem::exists(file)) return file;
    auto database = testing::must(modules::ModuleDatabase::create(file, modules::kModuleKey));
    testing::must(database->execute(
        "BEGIN;"
        "CREATE TABLE MainData (Question TEXT, Reponce TEXT, False1 TEXT, False2 TEXT, False3 TEXT,"
        " Points TEXT, Audio TEXT);"
        "CREATE TABLE Propriete (Title TEXT, Author TEXT, Company TEXT, Year TEXT);"
        "CREATE TABLE Use (Use TEXT);"
        "CREATE TABLE HScore (Nom TEXT, Date TEXT, Score TEXT);"
        "INSERT INTO Propriete VALUES ('Large', 'Bench', 'Vexlor', '2026');"));
    if (indexed) testing::must(database->execute("CREATE INDEX UseIndex ON Use (Use);"));
    for (int i = 1; i <= kQuestions; ++i) {
        const std::string n = std::to_string(i);
        testing::must(database->query(
            "INSERT INTO MainData VALUES (?, ?, ?, ?, ?, '10', ?);",
            {"What is question number " + n + " about, and why?", "Answer " + n, "Wrong " + n + "a",
             "Wrong " + n + "b", "Wrong " + n + "c", i % 2 ? "picture.gif" : ""}));
    }
    fillAskedList(*database, asked);
    testing::must(database->execute("COMMIT;"));
    std::ofstream(folder.file("picture.gif")) << "GIF89a";
    return file;
}

std::unique_ptr<testing::FormFixture> openGame(const std::string& path) {
    auto fixture = std::make_unique<testing::FormFixture>();
    fixture->form.Form_Load();
    fixture->fileDialog.answers.push_back(path);
    fixture->form.Modu_Click();
    return fixture;
}

// Back to the idle window without touching the module.
void toIdle(app::MasterForm& form) {
    for (platform::Timer* timer : form.timers()) timer->setEnabled(false);
    form.Start.Visible = true;
    form.NextQ.Visible = false;
    form.quiz.phase = game::Phase::kIdle;
}

// The worst draw: 32766 of 32767 questions asked, 1499 lookups find theirs listed, the 1500th
// draws the last question, which is then reached by skipping over all the others.
void BM_WorstCaseDraw(benchmark::State& state) {
    const bool indexed = state.range(0) != 0;
    auto game = openGame(largeModule(kQuestions - 1, indexed));
    app::MasterForm& form = game->form;
    for (auto _ : state) {
        state.PauseTiming();
        game->random.script.clear();
        for (int i = 0; i < 1499; ++i) game->random.script.push_back((i % 997) / 1000.0f);
        game->random.script.push_back(1.0f - 1.0f / (1 << 24));
        for (float r : {0.0f, 0.3f, 0.55f, 0.8f}) game->random.script.push_back(r);
        state.ResumeTiming();
        form.Start_Click();
        state.PauseTiming();
        if (form.QuestionNumber != kQuestions ||
            form.PanelQuestion.Caption.find("32767") == std::string::npos)
            state.SkipWithError("the last question was not drawn");
        toIdle(form);
        // The list as it was, and what the store keeps read again, as it is in play.
        testing::must(form.Data2.store->database().query("DELETE FROM Use WHERE Use = '32767';"));
        testing::must(form.Data2.store->isAsked(1));
        testing::must(form.Data2.store->questionCount());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WorstCaseDraw)->ArgName("indexed")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The 1500 lookups of that draw alone.
void BM_DrawLookups(benchmark::State& state) {
    auto game = openGame(largeModule(kQuestions - 1, state.range(0) != 0));
    modules::ModuleStore& store = *game->form.Data2.store;
    for (auto _ : state) {
        // In one transaction, as the draw makes them.
        modules::Transaction draw(store.database());
        for (int i = 0; i < 1500; ++i) testing::must(store.isAsked(1 + (i * 21) % 32766));
        testing::must(draw.commit());
    }
}
BENCHMARK(BM_DrawLookups)->ArgName("indexed")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Emptying a list of 32766 asked questions.
void BM_Efface(benchmark::State& state) {
    auto game = openGame(largeModule(kQuestions - 1, true));
    app::MasterForm& form = game->form;
    for (auto _ : state) {
        form.Efface();
        state.PauseTiming();
        if (form.Data2.RecordCount() != 0) state.SkipWithError("the list was not emptied");
        testing::must(form.Data2.store->database().execute("BEGIN;"));
        fillAskedList(form.Data2.store->database(), kQuestions - 1);
        testing::must(form.Data2.store->database().execute("COMMIT;"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Efface)->Unit(benchmark::kMillisecond);

// Each handler of a question's life in a usual game (5000 of 32767 asked, indexed list).
enum Handler { kStart, kReveal, kClock, kFifty, kAnswer, kJudge, kGameOver };

void BM_Handler(benchmark::State& state) {
    const auto handler = static_cast<Handler>(state.range(0));
    auto game = openGame(largeModule(5000, true));
    app::MasterForm& form = game->form;
    for (auto _ : state) {
        state.PauseTiming();
        toIdle(form);
        if (handler == kStart) state.ResumeTiming();
        form.Start_Click();
        if (handler == kStart) state.PauseTiming();
        form.Audio.Caption = "picture.gif";  // the reveal loads a picture
        if (handler == kReveal) state.ResumeTiming();
        form.TimerStart_Timer();
        if (handler == kReveal) state.PauseTiming();
        if (handler == kClock) state.ResumeTiming();
        form.TimerTrente_Timer();
        if (handler == kClock) state.PauseTiming();
        if (handler == kFifty) state.ResumeTiming();
        form.TimerFifty_Timer();
        if (handler == kFifty) state.PauseTiming();
        form.PanelRepA.Visible = true;
        if (handler == kAnswer) state.ResumeTiming();
        form.PanelRepA_Click();
        if (handler == kAnswer) state.PauseTiming();
        if (handler == kJudge) state.ResumeTiming();
        form.TimerReponce_Timer();
        if (handler == kJudge) state.PauseTiming();
        form.GameOver();
        if (handler == kGameOver) state.ResumeTiming();
        form.TimerGOver_Timer();
        if (handler == kGameOver) state.PauseTiming();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Handler)
    ->ArgName("handler")
    ->DenseRange(kStart, kGameOver)
    ->Iterations(200)  // each round draws a question, which the timing leaves out but not the clock
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
