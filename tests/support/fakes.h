#pragma once

// The game's stand-ins: the high-score entry driven at once and a main window wired to fakes.
// Tests that link the game include this; the rest include support/doubles.h alone.

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/hscore_form.h"
#include "app/master_form.h"
#include "modules/module_converter.h"
#include "platform/timer.h"
#include "support/doubles.h"

namespace vexlor::testing {

/// The high-score entry window is the real one, driven at once: drawn, `typedName` typed, then
/// OK pressed, or the window closed when `typedName` is nothing.
class FakeWindows : public platform::Windows {
  public:
    void showAbout() override {
        ++aboutShown;
        if (whileOpen) whileOpen();
    }
    void endProgram() override { ++ended; }
    platform::HighScoreEntry showHighScoreEntry() override {
        ++entryShown;
        scores::HScoreForm entry;
        entry.Form_Paint(*form);
        shownDate = entry.DateH.Caption;
        shownScore = entry.ScoreH.Caption;
        if (whileOpen) whileOpen();
        if (!typedName) return platform::HighScoreEntry::Closed;
        entry.NameH.Text = *typedName;
        return entry.cmdOk_Click(*form);
    }
    int aboutShown = 0;
    int ended = 0;
    app::MasterForm* form = nullptr;
    std::optional<std::string> typedName = "Player";
    int entryShown = 0;
    std::string shownDate, shownScore;
    /// Runs while a window (About, the entry) is open, before it closes: lets virtual time pass.
    std::function<void()> whileOpen;
};

/// A main window wired to fakes, with its timers on virtual time.
struct FormFixture {
    FakeClock clock;
    ScriptedRandom random;
    FakeFileDialog fileDialog;
    FakeMessageBox messageBox;
    FakeWindows windows;
    FakeFileTypes fileTypes;
    FakeFileSystem fileSystem;
    FakeSoundPlayer soundPlayer;
    FakePictureLoader pictureLoader;
    // The real conversion, by the module tool of this build.
    modules::ChildModuleConverter moduleConverter{VEXLOR_MODULE_TOOL};
    platform::VirtualTimerDriver timers;
    app::MasterForm form{{clock, random, fileDialog, messageBox, windows, fileTypes, fileSystem,
                          soundPlayer, pictureLoader, moduleConverter}};

    FormFixture() {
        windows.form = &form;
        for (platform::Timer* timer : form.timers()) timer->attach(&timers);
    }
    std::array<app::Label*, 4> panels() {
        return {&form.PanelRepA, &form.PanelRepB, &form.PanelRepC, &form.PanelRepD};
    }
    /// Chooses `path` in the Open dialog.
    void open(const std::string& path) {
        fileDialog.answers.push_back(path);
        form.Modu_Click();
    }
    /// The panel dealt the right answer, or (`right` false) a wrong one on show.
    app::Label& answer(bool right = true) {
        for (app::Label* panel : panels())
            if ((panel->DataField == "Reponce") == right && (right || panel->Visible))
                return *panel;
        throw std::logic_error("no such answer on the board");
    }
    void click(const app::Label& panel) {
        void (app::MasterForm::*handlers[])() = {
            &app::MasterForm::PanelRepA_Click, &app::MasterForm::PanelRepB_Click,
            &app::MasterForm::PanelRepC_Click, &app::MasterForm::PanelRepD_Click};
        for (std::size_t i = 0; i < 4; ++i)
            if (panels()[i] == &panel) (form.*handlers[i])();
    }
    /// The text of the last message box; "" when none was shown.
    std::string lastMessage() const {
        return messageBox.shown.empty() ? "" : messageBox.shown.back().text;
    }
};

}  // namespace vexlor::testing
