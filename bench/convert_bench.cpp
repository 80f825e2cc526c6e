// Converting modules in the earlier Jet format: a Jet 4 module of 32767 questions, and one whose
// top ten has grown to 1,000,000 rows, each against a small module (which costs the new module's
// key derivation and little else). The peak memory of the same conversions is measured by
// scripts/bench with the tool itself.
// Run: build/.../bench/convert_bench

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

#include "authoring/conversion.h"
#include "legacy/jet_module.h"
#include "support/doubles.h"
#include "support/jet_writer.h"

namespace {

using namespace vexlor;
namespace jet = vexlor::testing::jet;

testing::TempFolder& folder() {
    static testing::TempFolder made;
    return made;
}

// A Jet 4 module with `questions` questions and `scores` high scores, written once.
const std::string& jetModule(int questions, long scores) {
    static std::map<std::pair<int, long>, std::string> made;
    auto& path = made[{questions, scores}];
    if (path.empty()) {
        auto tables = jet::sampleModuleTables(questions);
        for (jet::Table& table : tables) {
            if (table.name != "HScore") continue;
            const jet::Row row = table.rows.front();
            table.rows.assign(static_cast<std::size_t>(scores), row);
        }
        path = folder().file("jet-" + std::to_string(questions) + "-" + std::to_string(scores) +
                             ".vxm");
        jet::writeJetFile(path, tables);
    }
    return path;
}

void convert(benchmark::State& state, const std::string& from) {
    const std::string out = folder().file("converted.vxm");
    for (auto _ : state) {
        auto module = legacy::JetModule::open(from);
        if (!module) state.SkipWithError("the module did not open");
        auto written = authoring::writeConverted(out, **module, true);
        if (!written) state.SkipWithError("not converted");
        state.PauseTiming();
        std::filesystem::remove(out);
        state.ResumeTiming();
    }
}

void BM_ConvertSmall(benchmark::State& state) {
    convert(state, jetModule(5, 10));
}
BENCHMARK(BM_ConvertSmall)->Unit(benchmark::kMillisecond);

void BM_ConvertQuestions(benchmark::State& state) {
    convert(state, jetModule(32767, 10));
}
BENCHMARK(BM_ConvertQuestions)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ConvertScores(benchmark::State& state) {
    convert(state, jetModule(5, 1'000'000));
}
BENCHMARK(BM_ConvertScores)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
