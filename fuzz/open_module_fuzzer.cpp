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
    // What the question flow and the high-score entry do with the module.
    form.Data1.RecordCount();
    form.Data1.MoveFirst();
    form.Data1.Move(2);
    form.Data2.FindFirst("Use = '1'");
    if (form.Data2.AddNew()) {
        form.Use.Text = "1";
        form.Data2.MoveLast();
    }
    if (form.Data4.AddNew()) {
        form.NomT.Text = "Fuzz";
        form.DateT.Text = "Jan/07/2000";
        form.ScoreT.Text = "00100";
        form.Data4.Refresh();
    }
    form.HighScore();
    form.Data2.MoveFirst();
    form.Data2.Delete();
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
