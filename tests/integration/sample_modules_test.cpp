// Copying the installed sample modules into the player's own folder at the first start from the
// menu: what is copied, what is never touched, a copy that stops half-way, a folder that
// cannot be written.

#include "platform/sample_modules.h"
#include "platform/data_home.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "support/fakes.h"

namespace vexlor::platform {
namespace {

namespace fs = std::filesystem;

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

void write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> sorted(std::vector<std::string> list) {
    std::sort(list.begin(), list.end());
    return list;
}

// An installation laid out as a package or a prefix has it: <root>/bin beside
// <root>/share/vexlor/modules, with two modules (one larger than a copy block) and their media.
class SampleModules : public ::testing::Test {
  protected:
    SampleModules() {
        fs::create_directories(bin());
        fs::create_directories(samples());
        write(samples() / "Big.vxm", randomBytes(300 * 1024, 1));
        write(samples() / "Small.vxm", randomBytes(5000, 2));
        write(samples() / "picture.gif", randomBytes(700, 3));
        write(samples() / "VXM.ico", randomBytes(900, 4));
        // Everyone may read the installation, as under /usr.
        fs::permissions(root.path(), fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    }
    fs::path bin() const { return root.path() / "bin"; }
    fs::path samples() const { return root.path() / "share" / "vexlor" / "modules"; }
    fs::path dataHome() const { return root.path() / "home" / "data"; }
    fs::path player() const { return dataHome() / "vexlor" / "modules"; }

    vexlor::testing::TempFolder root;
};

// Every regular sample is copied, byte for byte and writable; nothing else of the samples'
// folder is (a subfolder, a pipe, a link out of it, a hidden file). Whatever already has a
// sample's name in the player's folder is left exactly as it is: a module holding the player's
// top ten, or even a link to nowhere. A second start copies nothing.
TEST_F(SampleModules, CopiesEachSampleOnceAndNeverReplacesWhatIsThere) {
    fs::create_directory(samples() / "folder.vxm");
    ASSERT_EQ(::mkfifo((samples() / "pipe.vxm").c_str(), 0644), 0);
    write(root.path() / "outside.vxm", "outside");
    fs::create_symlink(root.path() / "outside.vxm", samples() / "link.vxm");
    write(samples() / ".hidden.vxm", "hidden");
    fs::create_directories(player());
    const std::string players = randomBytes(4096, 9);
    write(player() / "Small.vxm", players);
    fs::create_symlink(root.path() / "nowhere.gif", player() / "picture.gif");

    Result<SampleCopy> copy = copySampleModules(samples(), player());
    ASSERT_TRUE(copy) << copy.error();
    EXPECT_EQ(sorted(copy->copied), (std::vector<std::string>{"Big.vxm", "VXM.ico"}));
    EXPECT_EQ(sorted(copy->kept), (std::vector<std::string>{"Small.vxm", "picture.gif"}));
    EXPECT_TRUE(copy->failed.empty());
    EXPECT_EQ(names(player()),
              (std::vector<std::string>{"Big.vxm", "Small.vxm", "VXM.ico", "picture.gif"}));
    for (const char* name : {"Big.vxm", "VXM.ico"}) {
        EXPECT_TRUE(read(player() / name) == read(samples() / name)) << name;
        EXPECT_EQ(::access((player() / name).c_str(), W_OK), 0) << name;
    }
    EXPECT_TRUE(read(player() / "Small.vxm") == players) << "the player's module was changed";
    EXPECT_TRUE(fs::is_symlink(player() / "picture.gif"));
    EXPECT_FALSE(fs::exists(root.path() / "nowhere.gif"));

    Result<SampleCopy> again = copySampleModules(samples(), player());
    ASSERT_TRUE(again) << again.error();
    EXPECT_TRUE(again->copied.empty());
    EXPECT_EQ(again->kept.size(), 4u);
}

// A game killed in the middle of copying a module leaves part of it under a hidden temporary
// name only, never under the module's own name; the next start copies it whole.
TEST_F(SampleModules, ACopyKilledHalfWayLeavesNoModuleUnderItsName) {
    for (const char* name : {"Small.vxm", "picture.gif", "VXM.ico"}) fs::remove(samples() / name);
    const pid_t child = ::fork();
    if (child == 0) {
        ignoreFailure(copySampleModules(samples(), player(), [] { ::raise(SIGKILL); }),
                      "the copy never ends: the child is killed after its first block");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(names(player()), std::vector<std::string>{".Big.vxm.part"});
    EXPECT_LT(fs::file_size(player() / ".Big.vxm.part"), fs::file_size(samples() / "Big.vxm"));

    Result<SampleCopy> copy = copySampleModules(samples(), player());
    ASSERT_TRUE(copy) << copy.error();
    EXPECT_EQ(copy->copied, std::vector<std::string>{"Big.vxm"});
    EXPECT_EQ(names(player()), std::vector<std::string>{"Big.vxm"});
    EXPECT_TRUE(read(player() / "Big.vxm") == read(samples() / "Big.vxm"));
}

// Where the game started from the menu plays: the player's folder with the samples copied; the
// installed samples, read-only, with a message naming the player's folder when it cannot be
// written or made, or saying there is no home; the samples' own folder when the installation is
// the player's (a user prefix of ~/.local); the folder it started in when nothing is installed
// beside it.
TEST_F(SampleModules, TheMenuPlaysFromThePlayersFolderOrSaysWhyNot) {
    const fs::path readOnly = root.path() / "read-only";
    fs::create_directories(readOnly / "vexlor" / "modules");
    fs::permissions(readOnly / "vexlor" / "modules",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(root.path() / "home");
    write(root.path() / "home" / "file", "a file where a folder should be");
    const fs::path nowhere = root.path() / "elsewhere" / "bin";
    fs::create_directories(nowhere);

    const struct {
        const char* name;
        fs::path executableFolder;
        std::optional<fs::path> dataHome;
        fs::path folder;               // chosen
        std::vector<std::string> has;  // in the player's folder afterwards
        const char* problem;           // in the message, or nothing
        bool unprivileged = false;     // run as a user the folders' permissions stop
    } cases[] = {
        {"fresh",
         bin(),
         dataHome(),
         player(),
         {"Big.vxm", "Small.vxm", "VXM.ico", "picture.gif"},
         ""},
        {"read-only",
         bin(),
         readOnly,
         samples(),
         {},
         "cannot be written (Permission denied)",
         true},
        {"under a file", bin(), root.path() / "home" / "file", samples(), {}, "cannot be made"},
        {"user prefix",
         bin(),
         root.path() / "share",
         samples(),
         {"Big.vxm", "Small.vxm", "VXM.ico", "picture.gif"},
         ""},
        {"not installed, no folder", nowhere, root.path() / "other", fs::path{}, {}, ""},
        {"not installed",
         nowhere,
         dataHome(),
         player(),
         {"Big.vxm", "Small.vxm", "VXM.ico", "picture.gif"},
         ""},
        {"no home", bin(), std::nullopt, samples(), {}, "no home folder"},
        {"no home, not installed", nowhere, std::nullopt, fs::path{}, {}, "no home folder"},
        {"relative data home", bin(), fs::path("relative"), samples(), {}, "no home folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::function<int()> check = [&c] {
            const ModulesHome home = preparePlayerModules(c.executableFolder, c.dataHome);
            if (home.folder != c.folder) return 1;
            if (std::string(c.problem).empty() != home.problem.empty()) return 2;
            const bool absolute = c.dataHome && c.dataHome->is_absolute();
            if (home.problem.find(c.problem) == std::string::npos ||
                (absolute && !home.problem.empty() &&
                 home.problem.find(playerModulesFolder(*c.dataHome).string()) ==
                     std::string::npos) ||
                (!home.problem.empty() &&
                 home.folder == c.executableFolder.parent_path() / "share" / "vexlor" / "modules" &&
                 home.problem.find("read-only") == std::string::npos))
                return 3;
            // Nothing is made relative to the folder the game started in.
            if (fs::exists("relative")) return 5;
            std::error_code error;
            const fs::path player = absolute ? playerModulesFolder(*c.dataHome) : fs::path{};
            std::vector<std::string> has;
            for (fs::directory_iterator entry(player, error), end; !error && entry != end;
                 entry.increment(error))
                has.push_back(entry->path().filename().string());
            return sorted(has) == c.has ? 0 : 4;
        };
        EXPECT_EQ(c.unprivileged ? testing::runWithoutPrivileges(check) : check(), 0);
    }
}

// The data home follows the XDG base-directory rules and never lies relative to the current
// folder: an absolute XDG_DATA_HOME, else <home>/.local/share with HOME when it is absolute,
// else the password database's home (asked only then), else none.
TEST(DataHome, ComesFromAbsoluteFoldersOnly) {
    const struct {
        const char *xdg, *home;
        std::optional<std::string> account;
        std::optional<fs::path> expected;
        bool asksAccount;
    } cases[] = {
        {"/x/data", "/home/ann", "/home/acct", "/x/data", false},
        {"/x/data", nullptr, std::nullopt, "/x/data", false},
        {"relative", "/home/ann", "/home/acct", "/home/ann/.local/share", false},
        {"", "/home/ann", "/home/acct", "/home/ann/.local/share", false},
        {nullptr, nullptr, "/home/acct", "/home/acct/.local/share", true},
        {nullptr, "", "/home/acct", "/home/acct/.local/share", true},
        {"rel", "home", "/home/acct", "/home/acct/.local/share", true},
        {nullptr, nullptr, "acct", std::nullopt, true},
        {nullptr, "", std::nullopt, std::nullopt, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " + (c.home ? c.home : "(unset)"));
        bool asked = false;
        EXPECT_EQ(dataHome(c.xdg, c.home, [&] { return asked = true, c.account; }), c.expected);
        EXPECT_EQ(asked, c.asksAccount);
    }
}

}  // namespace
}  // namespace vexlor::platform
