// Importing 32,767 questions (the most a module holds) from each question-bank format into a
// new module, through the tool's create command as a user runs it: reading, parsing, checking
// and writing.
// Run: build/.../bench/import_bench

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/doubles.h"
#include "vexlor-module/commands.h"

namespace {

using namespace vexlor;

constexpr int kQuestions = 32767;

std::string n(int i) {
    return std::to_string(i);
}

// A question file of each format, with the escapes and entities real exports carry.
std::string questionFile(const std::string& format) {
    std::string text;
    if (format == "csv") text = "Question,Reponce,False1,False2,False3,Points,Audio\r\n";
    if (format == "opentdb") text = "{\"response_code\":0,\"results\":[\n";
    for (int i = 1; i <= kQuestions; ++i) {
        if (format == "csv")
            text += "\"Which of these is number " + n(i) + ", \"\"really\"\"?\",Answer " + n(i) +
                    ",Wrong " + n(i) + "a,Wrong " + n(i) + "b,Wrong " + n(i) + "c,10,\r\n";
        if (format == "aiken")
            text += "Which of these is number " + n(i) + ", really?\r\nA. Wrong " + n(i) +
                    "a\r\nB) Answer " + n(i) + "\r\nC. Wrong " + n(i) + "b\r\nD. Wrong " + n(i) +
                    "c\r\nANSWER: B\r\n\r\n";
        if (format == "gift")
            text += "// question " + n(i) + "\n::Q" + n(i) + "::Which of these is number " + n(i) +
                    "\\: really?{\n  =Answer " + n(i) + "#Right\n  ~Wrong " + n(i) + "a ~Wrong " +
                    n(i) + "b\n  ~Wrong " + n(i) + "c\n}\n\n";
        if (format == "opentdb")
            text += std::string(i > 1 ? "," : "") +
                    "{\"type\":\"multiple\",\"difficulty\":\"medium\",\"category\":\"Science "
                    "&amp; Nature\",\"question\":\"Which of these is number " +
                    n(i) + ", &quot;really&quot;?\",\"correct_answer\":\"Answer " + n(i) +
                    "\",\"incorrect_answers\":[\"Wrong " + n(i) + "a\",\"Wrong " + n(i) +
                    "b\",\"Caf&eacute; " + n(i) + "\"]}\n";
    }
    if (format == "opentdb") text += "]}\n";
    return text;
}

void importInto(benchmark::State& state, const std::string& format, const std::string& ext) {
    testing::TempFolder folder;
    const std::string source = folder.file("questions." + ext);
    std::ofstream(source, std::ios::binary) << questionFile(format);
    const std::string module = folder.file("bench.vxm");
    for (auto _ : state) {
        std::ostringstream out, err;
        const int status = authoring::runTool(
            {"create", module, "--force", "--title", "Bench", "--questions", source}, out, err);
        if (status != 0 || out.str().find(n(kQuestions) + " questions") == std::string::npos)
            state.SkipWithError(("import failed: " + err.str()).c_str());
    }
    state.counters["questions"] = kQuestions;
}

void BM_ImportCsv(benchmark::State& state) {
    importInto(state, "csv", "csv");
}
void BM_ImportAiken(benchmark::State& state) {
    importInto(state, "aiken", "txt");
}
void BM_ImportGift(benchmark::State& state) {
    importInto(state, "gift", "gift");
}
void BM_ImportOpenTdb(benchmark::State& state) {
    importInto(state, "opentdb", "json");
}

BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportAiken)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportGift)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportOpenTdb)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
