// The top ten on score tables of 10, 10,000 and 1,000,000 rows, in modules with the ranking
// index the authoring tool adds and in modules without it: opening the module (the whole Open
// routine, top ten included) and one redraw of the top ten.
// Run: build/.../bench/top_ten_bench

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "modules/module_database.h"
#include "modules/module_format.h"
#include "opening.h"
#include "support/fakes.h"

namespace {

using namespace vexlor;

// One module per size and kind for the whole run, made through the store.
const std::string& scoresModule(int rows, bool indexed) {
    static testing::TempFolder folder;
    static std::map<std::pair<int, bool>, std::string> made;
    auto& path = made[{rows, indexed}];
    if (!path.empty()) return path;
    path = folder.file("scores-" + std::to_string(rows) + (indexed ? "-indexed" : "") + ".vxm");
    auto database = testing::must(modules::ModuleDatabase::create(path, modules::kModuleKey));
    testing::must(
        database->execute("BEGIN;" + modules::createStatements(indexed) +
                          "INSERT INTO Propriete VALUES ('Scores', 'Bench', 'Vexlor', '2026');"
                          "INSERT INTO MainData VALUES ('Q', 'A', 'B', 'C', 'D', '10', '');"));
    for (int i = 1; i <= rows; ++i) {
        char score[16];
        std::snprintf(score, sizeof score, "%05d", (i * 7919) % 100000);
        testing::must(database->query("INSERT INTO HScore VALUES (?, 'Jan/01/2026', ?);",
                                      {"Player " + std::to_string(i), score}));
    }
    testing::must(database->execute("COMMIT;"));
    return path;
}

void BM_OpenModule(benchmark::State& state) {
    const std::string& path = scoresModule(static_cast<int>(state.range(0)), state.range(1) != 0);
    bench::timeOpening(state, path,
                       [](app::MasterForm& form) { return form.Label2.Caption == "Scores"; });
}

void BM_HighScore(benchmark::State& state) {
    const std::string& path = scoresModule(static_cast<int>(state.range(0)), state.range(1) != 0);
    testing::FormFixture fixture;
    fixture.fileDialog.answers.push_back(path);
    fixture.form.Modu_Click();
    if (fixture.form.Label2.Caption != "Scores") state.SkipWithError("not opened");
    for (auto _ : state) {
        // A redraw, as after a new entry: the best ten read anew.
        fixture.form.HighScore();
    }
}

void sizes(benchmark::internal::Benchmark* b) {
    for (int indexed : {1, 0})
        for (int rows : {10, 10'000, 1'000'000}) b->Args({rows, indexed});
    b->ArgNames({"rows", "indexed"})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_OpenModule)->Apply(sizes);
BENCHMARK(BM_HighScore)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
