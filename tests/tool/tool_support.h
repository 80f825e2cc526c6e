#pragma once

// Running the tool from tests, in this process or as the installed command would run.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/module_file.h"
#include "authoring/question_csv.h"
#include "support/doubles.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring::testing {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline ToolRun runInProcess(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = runTool(arguments, out, err);
    return {status, out.str(), err.str()};
}

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

/// Runs a shell command line with stdout and stderr caught in files of `folder`.
inline ToolRun runShell(const std::string& commandLine, const vexlor::testing::TempFolder& folder) {
    const std::string out = folder.file(".out"), err = folder.file(".err");
    const int raw =
        std::system((commandLine + " >" + shellQuoted(out) + " 2>" + shellQuoted(err)).c_str());
    ToolRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, vexlor::testing::readBytes(out),
                vexlor::testing::readBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

/// Runs the built vexlor-module command, stopped should it hang.
inline ToolRun runCommand(const std::vector<std::string>& arguments,
                          const vexlor::testing::TempFolder& folder) {
    std::string line = "timeout 30 " + shellQuoted(VEXLOR_MODULE_TOOL);
    for (const auto& argument : arguments) line += " " + shellQuoted(argument);
    return runShell(line, folder);
}

/// The questions header as export writes it.
inline const std::string kHeader = "Question,Reponce,False1,False2,False3,Points,Audio\r\n";

/// Makes a module from CSV text as written, without the checks of create, so that a module can
/// hold what check must find; the CSV is left beside it as questions.csv.
inline std::string makeModule(const vexlor::testing::TempFolder& folder, const std::string& csv,
                              const std::string& name = "quiz.vxm", bool force = false) {
    writeBytes(folder.file("questions.csv"), csv);
    auto questions = parseQuestionsCsv(csv, "questions.csv");
    if (!questions) ADD_FAILURE() << questions.error();
    const auto written = writeModule(folder.file(name), {"Quiz", "Ann", "Co", "2024"},
                                     questions ? *questions : std::vector<Question>(), force);
    if (!written) ADD_FAILURE() << written.error();
    return folder.file(name);
}

}  // namespace vexlor::authoring::testing
