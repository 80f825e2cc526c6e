// The module editor's document on a module of 32767 questions: opening it, searching it,
// checking it, and saving one edit or a change that renumbers the whole asked list.
// Run: build/.../bench/editor_bench

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "authoring/document.h"
#include "modules/module_database.h"
#include "support/doubles.h"

namespace {

using namespace vexlor;
using namespace vexlor::authoring;

constexpr int kQuestions = 32767;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

testing::TempFolder& folder() {
    static testing::TempFolder made;
    return made;
}

// The bytes of a module of kQuestions questions, each asked but the last, made once.
const std::string& largeModuleBytes() {
    static const std::string bytes = [] {
        std::vector<Question> questions;
        for (int i = 1; i <= kQuestions; ++i) {
            const std::string n = std::to_string(i);
            questions.push_back(
                {"What is question number " + n + " about, and why?",
                 {"Answer " + n, "Wrong " + n + "a", "Wrong " + n + "b", "Wrong " + n + "c"},
                 "10",
                 ""});
        }
        std::vector<std::string> asked;
        for (int i = 1; i < kQuestions; ++i) asked.push_back(std::to_string(i));
        const std::vector<ScoreEntry> scores = {{"Ann", "Jan/01/2026", "100"}};
        const std::string path = folder().file("made.vxm");
        if (!writeModule(path, {"Large", "Bench", "Vexlor", "2026"}, questions, asked, scores,
                         true))
            std::abort();
        return readBytes(path);
    }();
    return bytes;
}

// A fresh copy of the large module, at a path of its own.
std::string freshModule(const std::string& name) {
    const std::string path = folder().file(name);
    writeBytes(path, largeModuleBytes());
    return path;
}

Document open(const std::string& path) {
    auto document = Document::open(path);
    if (!document) std::abort();
    return std::move(*document);
}

void BM_KeyDerivation(benchmark::State& state) {
    const std::string path = freshModule("key.vxm");
    for (auto _ : state) {
        auto database = modules::ModuleDatabase::open(path, modules::kModuleKey);
        if (!database) state.SkipWithError("the module did not open");
        benchmark::DoNotOptimize(database);
    }
}
BENCHMARK(BM_KeyDerivation)->Unit(benchmark::kMillisecond);

// Each round derives the key again, as a first open does: the document of the round before
// is closed.
void BM_OpenDocument(benchmark::State& state) {
    const std::string path = freshModule("open.vxm");
    for (auto _ : state) {
        auto document = Document::open(path);
        if (!document || document->size() != kQuestions) state.SkipWithError("not opened");
        state.PauseTiming();
        document = Error("closed");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond);

void BM_Filter(benchmark::State& state) {
    static Document document = open(freshModule("filter.vxm"));
    // One match deep in the table, and a text that matches thousands of rows.
    const char* text = state.range(0) == 0 ? "WRONG 32000C" : "number 1";
    for (auto _ : state) benchmark::DoNotOptimize(document.filter(text));
}
BENCHMARK(BM_Filter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ProblemsFirstTime(benchmark::State& state) {
    static Document document = open(freshModule("problems.vxm"));
    for (auto _ : state) {
        document.recheckAll();
        benchmark::DoNotOptimize(document.problems().size());
    }
}
BENCHMARK(BM_ProblemsFirstTime)->Unit(benchmark::kMillisecond);

void BM_ProblemsAfterOneEdit(benchmark::State& state) {
    static Document document = open(freshModule("problems-edit.vxm"));
    benchmark::DoNotOptimize(document.problems().size());
    static int round = 0;  // each text new, over every run of the benchmark
    for (auto _ : state) {
        auto edit = document.setQuestionField(16000, QuestionField::kWrong1,
                                              "Edited " + std::to_string(round++));
        (*edit)->apply(document);
        benchmark::DoNotOptimize(document.problems().size());
    }
}
BENCHMARK(BM_ProblemsAfterOneEdit)->Unit(benchmark::kMillisecond);

void BM_SaveOneEditedQuestion(benchmark::State& state) {
    static Document document = open(freshModule("save-one.vxm"));
    // The editor shows the problem list from the start: the save finds it up to date.
    benchmark::DoNotOptimize(document.problems().size());
    static int round = 0;  // each text new, over every run of the benchmark
    for (auto _ : state) {
        state.PauseTiming();
        auto edit = document.setQuestionField(16000, QuestionField::kText,
                                              "Edited question " + std::to_string(round++));
        (*edit)->apply(document);
        state.ResumeTiming();
        auto saved = document.save();
        if (!saved || saved->questionsWritten != 1) state.SkipWithError("not saved as one row");
    }
}
BENCHMARK(BM_SaveOneEditedQuestion)->Unit(benchmark::kMillisecond);

// The same after the game wrote to the module (it asked a question): the save reads every
// question and property back, under the write lock, to be sure no one changed them.
void BM_SaveAfterTheGameWrote(benchmark::State& state) {
    static Document document = open(freshModule("save-after-game.vxm"));
    static sqlite3* game = [] {
        sqlite3* db = nullptr;
        if (sqlite3_open(document.path().c_str(), &db) != SQLITE_OK) std::abort();
        sqlite3_key(db, modules::kModuleKey, 8);
        return db;
    }();
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto edit = document.setQuestionField(16000, QuestionField::kText,
                                              "Edited question " + std::to_string(round++));
        (*edit)->apply(document);
        if (sqlite3_exec(game, "INSERT INTO Use VALUES ('32767');", nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            state.SkipWithError("the game could not write");
        state.ResumeTiming();
        auto saved = document.save();
        if (!saved || saved->questionsWritten != 1) state.SkipWithError("not saved as one row");
    }
}
BENCHMARK(BM_SaveAfterTheGameWrote)->Unit(benchmark::kMillisecond);

// A save whose edits renumber every asked question: the first question deleted (every other
// one moves up a place), or the last moved to the top (every row changes its place).
void BM_SaveRenumbering(benchmark::State& state) {
    const bool moveLastToTop = state.range(0) == 1;
    const auto expectedAsked =
        static_cast<std::size_t>(moveLastToTop ? kQuestions - 1 : kQuestions - 2);
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<Document> document = open(freshModule("renumber.vxm"));
        EditHistory history(*document);
        if (moveLastToTop) {
            for (std::size_t row = kQuestions - 1; row > 0; --row)
                history.push(std::move(*document->moveQuestions({row}, false)));
        } else {
            history.push(std::move(*document->deleteQuestions({0})));
        }
        state.ResumeTiming();
        auto saved = document->save();
        state.PauseTiming();
        if (!saved || !saved->askedRenumbered || saved->askedAfter != expectedAsked)
            state.SkipWithError("the asked list was not renumbered");
        history.clear();
        document.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveRenumbering)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
