#pragma once

// Times the Open button on one module file, each round in a fresh window: the file is closed
// between rounds, so every round derives the key again as a player's first open does.

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "support/fakes.h"

namespace vexlor::bench {

inline void timeOpening(benchmark::State& state, const std::string& path,
                        const std::function<bool(app::MasterForm&)>& opened) {
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<testing::FormFixture>();
        fixture->fileDialog.answers.push_back(path);
        state.ResumeTiming();
        fixture->form.Modu_Click();
        state.PauseTiming();
        if (!opened(fixture->form)) state.SkipWithError("not opened");
        fixture.reset();
        state.ResumeTiming();
    }
}

}  // namespace vexlor::bench
