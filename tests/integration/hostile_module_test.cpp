// Crafted module files: views, triggers and virtual tables under the module's table names,
// endless or huge queries behind them, and tables whose records cannot be addressed by row id.
// Each opening runs in a child process with a time bound, so a hang or a crash fails its test
// instead of stopping the suite.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "support/hostile_modules.h"
#include "support/module_files.h"
#include "vexlor-module/commands.h"

namespace vexlor {

namespace testing {
void PrintTo(const HostileModule& module, std::ostream* out) {
    *out << module.name;
}
}  // namespace testing

namespace {

using testing::HostileModule;

constexpr const char* kModuleName = "crafted.vxm";

/// Runs `body` in a child process and gives what it reported, or why it reported nothing.
std::string inBoundedChild(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(10);  // a hang ends the child, not the suite
        const std::string report = body();
        const ssize_t written = ::write(channel[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 3);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) return "hung for more than 10 s";
    if (WIFSIGNALED(status)) return "crashed with signal " + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0)
        return "crashed with exit status " + std::to_string(WEXITSTATUS(status));
    return report;
}

/// The values of the Use table, sorted, read straight through SQLCipher.
std::string askedValues(const std::string& path) {
    std::string values;
    for (const auto& value : testing::readColumn(path, "SELECT Use FROM Use ORDER BY Use"))
        values += value + " ";
    return values;
}

class HostileModuleTest : public ::testing::TestWithParam<HostileModule> {
  protected:
    HostileModuleTest() : path(folder.file(kModuleName)) {
        EXPECT_TRUE(testing::writeHostileModule(path, GetParam())) << GetParam().name;
        original = testing::readBytes(path);
    }

    testing::TempFolder folder;
    std::string path;
    std::string original;
};

const std::string kRefusal = std::string(kModuleName) + "\rNot a Valid Module";

// The game refuses every crafted file with its usual message before reading any row; a file
// it may take (a table without usable row ids) must then store and clear the right records.
TEST_P(HostileModuleTest, TheGameRefusesItOrPlaysItCorrectly) {
    const std::string report = inBoundedChild([&] {
        testing::FormFixture f;
        f.open(path);
        if (!f.messageBox.shown.empty()) return f.lastMessage();
        // Taken as a module: an asked question is added, then the list emptied.
        modules::ModuleStore& use = *f.form.Data2.store;
        std::string played = "taken;";
        if (Status step = use.markAsked(3); !step)
            played += " storing failed: " + step.error().what() + ";";
        played += " after storing 3: " + askedValues(path) + ";";
        if (auto cleared = use.clearAsked(); !cleared)
            played += " clearing failed: " + cleared.error().what() + ";";
        return played + " after clearing: " + askedValues(path);
    });
    if (GetParam().mayBeAccepted && report.starts_with("taken;")) {
        EXPECT_EQ(report, "taken; after storing 3: 1 2 3 ; after clearing: ")
            << "the game took the file but mishandled it";
        return;
    }
    EXPECT_EQ(report, kRefusal);
    EXPECT_TRUE(testing::readBytes(path) == original) << "a refused file was written to";
}

// Each command of vexlor-module on a crafted file fails with a message naming the file and
// saying what is wrong, without crash or hang; reset-asked on a file it accepts empties the list.
TEST_P(HostileModuleTest, TheToolRefusesItClearlyOrHandlesItCorrectly) {
    for (const std::string command : {"info", "check", "export", "scores", "reset-asked"}) {
        SCOPED_TRACE(command);
        const std::string report = inBoundedChild([&] {
            std::ostringstream out, err;
            const int status = authoring::runTool({command, path}, out, err);
            return std::to_string(status) + "\n" + err.str();
        });
        ASSERT_TRUE(report.size() >= 2 && report[1] == '\n') << report;
        const int status = report[0] - '0';
        const std::string message = report.substr(2);
        if (GetParam().mayBeAccepted && status == authoring::kExitSuccess) {
            if (command == "reset-asked") {
                EXPECT_EQ(testing::readColumn(path, "SELECT count(*) FROM Use"),
                          std::vector<std::string>{"0"});
            }
            continue;
        }
        EXPECT_EQ(status, authoring::kExitFailure) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        for (const char* engineText :
             {"no such column", "not authorized", "SQL logic error", "interrupted"})
            EXPECT_EQ(message.find(engineText), std::string::npos) << message;
        if (command != "reset-asked" || !GetParam().mayBeAccepted) {
            EXPECT_TRUE(testing::readBytes(path) == original) << "the file was written to";
        }
    }
}

std::string caseName(const ::testing::TestParamInfo<HostileModule>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Crafted, HostileModuleTest, ::testing::ValuesIn(testing::hostileModules()),
                         caseName);

}  // namespace
}  // namespace vexlor
