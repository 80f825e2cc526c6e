#pragma once

// Stand-ins for the platform services that answer at once and remember what they were asked.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/hscore_form.h"
#include "app/master_form.h"
#include "app/stand_ins.h"
#include "modules/module_converter.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/file_types.h"
#include "platform/picture_loader.h"
#include "platform/random.h"
#include "platform/sound_player.h"

namespace vexlor::testing {

/// The clock at ten in the morning of a day in January 2000.
struct FakeClock : app::FixedClock {
    FakeClock() {
        seconds = 36000.25;
        date = {2000, 1, 7};
    }
};

using FakeFileDialog = app::AnsweringFileDialog;
using FakeMessageBox = app::RecordingMessageBox;

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

using FakeFileTypes = app::MemoryFileTypes;

/// The real file system, in a folder chosen by the test.
class FakeFileSystem : public platform::FileSystem {
  public:
    std::string fileName(const std::string& path) const override { return real.fileName(path); }
    std::string currentFolder() const override { return current; }
    std::vector<std::string> folderEntries(const std::string& folder) const override {
        return real.folderEntries(folder);
    }
    std::string realPath(const std::string& path) const override { return real.realPath(path); }
    std::string current = "/games/vexlor";
    platform::StdFileSystem real;
};

/// A generator that hands out scripted draws first, then those of a seeded generator; counts
/// every draw.
class ScriptedRandom : public platform::Random {
  public:
    void reseed(double value) override { fallback.reseed(value); }
    float next() override {
        ++draws;
        if (script.empty()) return fallback.next();
        const float value = script.front();
        script.pop_front();
        return value;
    }
    std::deque<float> script;
    long draws = 0;
    platform::MixingRandom fallback{42};
};

/// Remembers what it was asked to play, in order: "file:<path>", "play", "stop".
class FakeSoundPlayer : public platform::SoundPlayer {
  public:
    void SoundFile(const std::string& path) override { calls.push_back("file:" + path); }
    void Play() override { calls.push_back("play"); }
    void Stop() override { calls.push_back("stop"); }
    std::string problem() const override { return problemText; }
    std::vector<std::string> calls;
    std::string problemText;
};

class FakePicture : public platform::Picture {
  public:
    FakePicture(std::string file, int w, int h) : path(std::move(file)), w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    std::string path;

  private:
    int w_, h_;
};

/// Loads a 100x50 picture from any file that exists; remembers every path asked for.
class FakePictureLoader : public platform::PictureLoader {
  public:
    std::shared_ptr<const platform::Picture> load(const std::string& path) override {
        asked.push_back(path);
        if (!std::filesystem::is_regular_file(path)) return nullptr;
        return std::make_shared<FakePicture>(path, 100, 50);
    }
    std::vector<std::string> asked;
};

/// A data source on one table of a module with one box bound to `name`, as the window binds
/// them; not yet read.
struct BoundSource {
    BoundSource(const std::string& path, const std::string& table, std::string name,
                bool editable = true)
        : field(std::move(name)) {
        data.bindElement(text, field, editable);
        data.Connect = ";pwd=tov3ralu";
        data.DatabaseName = path;
        data.RecordSource = table;
    }
    std::string text, field;
    modules::DataSource data{"Data"};
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

/// The value of a step a test or benchmark cannot go on without: a failure stops the program,
/// naming the error.
template <typename T>
T must(Result<T> result) {
    if (!result) {
        std::fprintf(stderr, "a step that must not fail failed: %s\n",
                     result.error().what().c_str());
        std::abort();
    }
    return std::move(*result);
}
inline void must(const Status& status) {
    if (!status) {
        std::fprintf(stderr, "a step that must not fail failed: %s\n",
                     status.error().what().c_str());
        std::abort();
    }
}

/// The bytes of a file; empty when it cannot be read.
inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

/// The names in a folder, sorted.
inline std::vector<std::string> entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/// A folder of its own for one test, removed afterwards.
class TempFolder {
  public:
    /// A new folder in `base`: a memory-backed one keeps tests that write a lot off the disk.
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline TempFolder::TempFolder(const std::filesystem::path& base) {
    std::string pattern = (base / "vexlor-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
}

inline TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, error))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

/// Runs `check` in a child process as a user that may not write the folders a test made (as
/// root, whom permissions do not stop, the child becomes "nobody"); the child's exit code, or
/// 100 plus the signal that ended it.
inline int runWithoutPrivileges(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

}  // namespace vexlor::testing
