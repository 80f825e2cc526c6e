#pragma once

// Stand-ins for the platform services that answer at once and remember what they were asked,
// and the helpers every test shares. Nothing here needs the game: the authoring and tool tests
// use these alone; the game's own stand-ins are in support/fakes.h.

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

#include "modules/module_converter.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/file_types.h"
#include "platform/picture_loader.h"
#include "platform/random.h"
#include "platform/sound_player.h"
#include "platform/stand_ins.h"

namespace vexlor::testing {

/// The clock at ten in the morning of a day in January 2000.
struct FakeClock : platform::FixedClock {
    FakeClock() {
        seconds = 36000.25;
        date = {2000, 1, 7};
    }
};

using FakeFileDialog = platform::AnsweringFileDialog;
using FakeMessageBox = platform::RecordingMessageBox;
using FakeFileTypes = platform::MemoryFileTypes;

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
