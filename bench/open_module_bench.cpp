// Opening a module of 32767 questions: the whole Open routine, and the key derivation alone.
// Run: build/.../bench/open_module_bench

#include <benchmark/benchmark.h>

#include <filesystem>

#include "modules/module_database.h"
#include "modules/module_format.h"
#include "opening.h"
#include "support/fakes.h"

namespace {

using namespace vexlor;

constexpr int kQuestions = 32767;

// One module for the whole run, made through the store.
const std::string& largeModule() {
    static testing::TempFolder folder;
    static const std::string path = [] {
        const std::string file = folder.file("large.vxm");
        auto database = testing::must(modules::ModuleDatabase::create(file, modules::kModuleKey));
        testing::must(database->execute(
            "BEGIN;" + modules::createStatements() +
            "INSERT INTO Propriete VALUES ('Large', 'Bench', 'Vexlor', '2026');"));
        for (int i = 1; i <= kQuestions; ++i) {
            const std::string n = std::to_string(i);
            testing::must(database->query(
                "INSERT INTO MainData VALUES (?, ?, ?, ?, ?, ?, '');",
                {"What is question number " + n + " about, and why?", "Answer " + n,
                 "Wrong " + n + "a", "Wrong " + n + "b", "Wrong " + n + "c", "10"}));
        }
        for (int i = 1; i <= 5000; ++i)
            testing::must(database->query("INSERT INTO Use VALUES (?);", {std::to_string(i * 3)}));
        for (int i = 1; i <= 200; ++i)
            testing::must(database->query("INSERT INTO HScore VALUES (?, 'Jan/01/2026', ?);",
                                          {"Player " + std::to_string(i), std::to_string(i * 10)}));
        testing::must(database->execute("COMMIT;"));
        return file;
    }();
    return path;
}

void BM_KeyDerivation(benchmark::State& state) {
    const std::string& path = largeModule();
    for (auto _ : state) {
        auto database = modules::ModuleDatabase::open(path, modules::kModuleKey);
        if (!database) state.SkipWithError("the module did not open");
        benchmark::DoNotOptimize(database);
    }
}
BENCHMARK(BM_KeyDerivation)->Unit(benchmark::kMillisecond);

void BM_OpenModule(benchmark::State& state) {
    bench::timeOpening(state, largeModule(), [](app::MasterForm& form) {
        return form.Data1.RecordCount() == kQuestions;
    });
}
BENCHMARK(BM_OpenModule)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
