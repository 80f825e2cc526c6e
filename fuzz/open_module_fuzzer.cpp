// Feeds any file to the Open button, and, when it is taken as a module, plays the writes a game
// makes (an asked question, a high score): nothing may crash, hang or grow without bound, and a
// refused file is never written to.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "scratch_module.h"
#include "support/fakes.h"

namespace {

void playOneRound(vexlor::app::MasterForm& form) {
    // What the question flow and the high-score entry do with the module. Failures are what a
    // hostile module is expected to give; only crashes, leaks and hangs are findings.
    using vexlor::ignoreFailure;
    constexpr const char* kExpected = "a refusal is a fine outcome for a fuzzed module";
    form.Data1.RecordCount();
    ignoreFailure(form.Data1.MoveFirst(), kExpected);
    ignoreFailure(form.Data1.Move(2), kExpected);
    ignoreFailure(form.Data2.FindFirst("Use = '1'"), kExpected);
    if (form.Data2.AddNew()) {
        form.Use.Text = "1";
        ignoreFailure(form.Data2.MoveLast(), kExpected);
    }
    if (form.Data4.AddNew()) {
        form.NomT.Text = "Fuzz";
        form.DateT.Text = "Jan/07/2000";
        form.ScoreT.Text = "00100";
        ignoreFailure(form.Data4.Refresh(), kExpected);
    }
    form.HighScore();
    ignoreFailure(form.Data2.MoveFirst(), kExpected);
    ignoreFailure(form.Data2.Delete(), kExpected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vexlor::fuzzing::smallPageCacheStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& scratch = vexlor::fuzzing::scratch();
    const std::string& path = scratch.write(data, size);
    const std::string before = scratch.bytes();
    {
        vexlor::testing::FormFixture fixture;
        fixture.fileSystem.current = scratch.folder().string();
        fixture.form.Form_Load();
        fixture.fileDialog.answers.push_back(path);
        fixture.form.Modu_Click();
        const bool refused = !fixture.messageBox.shown.empty();
        if (refused) {
            if (fixture.form.Start.Visible) std::abort();  // refused, yet offered for play
            if (scratch.bytes() != before) std::abort();   // a refused file was written to
        } else {
            playOneRound(fixture.form);
        }
    }
    scratch.clear();
    return 0;
}
