// Making modules: the CSV round trip, the refusal to overwrite, the all-or-nothing write, the
// command line, and what the plain encrypted-database shell sees.

#include <gtest/gtest.h>

#include <algorithm>

#include "tool_support.h"

namespace vexlor::authoring {
namespace {

using testing::kHeader;
using testing::runCommand;
using testing::runInProcess;
using testing::writeBytes;
using vexlor::testing::readBytes;
using vexlor::testing::TempFolder;

const std::string kTrickyCsv =
    kHeader +
    "\"Which city is called \"\"Züri\"\" locally?\",Zürich,Bern,\"Basel, BS\",Genève,10,\r\n"
    "\"A unit of length:\r\n(tiny)\",Ångström,Parsec,°C,\"line\nbreak\",5 points,\r\n"
    "Emoji? 🌍🎉,👍 yes,no,\"\"\"maybe\"\"\",日本,00020,pic.gif\r\n";

std::vector<std::string> folderEntries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ToolRoundTrip, ExportGivesBackTheCreatedCsvByteForByte) {
    // Quotes, commas, line breaks and non-ASCII text survive create then export unchanged.
    TempFolder folder;
    const std::string module = testing::makeModule(folder, kTrickyCsv);
    const auto exported = runInProcess({"export", module});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, kTrickyCsv);

    ASSERT_EQ(runInProcess({"export", module, "-o", folder.file("out.csv")}).status, 0);
    EXPECT_EQ(readBytes(folder.file("out.csv")), kTrickyCsv);
    EXPECT_EQ(runInProcess({"export", module, "-o", "-"}).out, kTrickyCsv);

    // LF record ends, needless quotes, a BOM and a missing Audio column come back normalised.
    const std::string lf = testing::makeModule(
        folder, "\xEF\xBB\xBFQuestion,Reponce,False1,False2,False3,Points\n\"Q\",A,B,C,D,5\n",
        "lf.vxm");
    EXPECT_EQ(runInProcess({"export", lf}).out, kHeader + "Q,A,B,C,D,5,\r\n");

    // CSV for spreadsheets, with either separator, makes the same module again.
    for (const std::string separator : {";", ","}) {
        const std::string sheet = folder.file("sheet" + separator + ".csv");
        ASSERT_EQ(
            runInProcess({"export", module, "--spreadsheet", "--separator", separator, "-o", sheet})
                .status,
            0);
        EXPECT_EQ(readBytes(sheet).substr(0, 20),
                  "\xEF\xBB\xBFQuestion" + separator + "Reponce" + separator);
        const std::string again = folder.file("again.vxm");
        const auto created =
            runInProcess({"create", again, "--title", "T", "--questions", sheet, "--force"});
        ASSERT_EQ(created.status, 0) << created.err;
        EXPECT_EQ(runInProcess({"export", again}).out, kTrickyCsv) << separator;
    }
}

TEST(ToolCreate, ACreateWritesAWholeModuleOnlyWhereAllowedOrLeavesTheFolderAsItWas) {
    // An existing file is kept byte for byte unless --force; a bad CSV is reported with its line
    // and leaves no module and no temporary file, also with --force.
    TempFolder folder;
    const std::string module = testing::makeModule(folder, kTrickyCsv);
    const std::string before = readBytes(module);
    writeBytes(folder.file("other.csv"), kHeader + "Q,A,B,C,D,1,\r\n");
    writeBytes(folder.file("bad.csv"), kHeader + "\"Two\nlines\",A,B,C,D,1,\r\nQ,A,B,C,D,1\r\n");
    const auto create = [&](const std::string& name, const std::string& csv, bool force) {
        std::vector<std::string> arguments = {"create", folder.file(name), "--title",
                                              "New",    "--questions",     folder.file(csv)};
        if (force) arguments.push_back("--force");
        return runCommand(arguments, folder);
    };

    const auto refused = create("quiz.vxm", "other.csv", false);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("exists already"), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(module), before);
    const auto failed = create("new.vxm", "bad.csv", false);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, folder.file("bad.csv") + ":4: 6 fields, expected 7 as in the header\n");
    EXPECT_EQ(create("quiz.vxm", "bad.csv", true).status, 1);
    EXPECT_EQ(readBytes(module), before);
    const std::vector<std::string> files = {"bad.csv", "other.csv", "questions.csv", "quiz.vxm"};
    EXPECT_EQ(folderEntries(folder), files);

    ASSERT_EQ(create("quiz.vxm", "other.csv", true).status, 0);
    EXPECT_NE(runInProcess({"info", module}).out.find("Title: New\nAuthor: \n"), std::string::npos);
    EXPECT_EQ(folderEntries(folder), files);
    // The game's Open dialog lists only .vxm files: the ending is added, and said.
    EXPECT_EQ(create("plain", "other.csv", false)
                  .out.rfind("named the module " + folder.file("plain.vxm"), 0),
              0u);
    EXPECT_TRUE(std::filesystem::exists(folder.file("plain.vxm")));
}

TEST(ToolCommandLine, UsageErrorsExitWithTwoAndHelpWithZero) {
    // Wrong command lines are told apart from failures by their exit status.
    TempFolder folder;
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"create", folder.file("a.vxm"), "--questions", "q.csv"},
        {"create", folder.file("a.vxm"), "--title", "", "--questions", "q.csv"},
        {"create", folder.file("a.vxm"), "--title", "T"},
        {"info"},
        {"info", "a.vxm", "b.vxm"},
        {"export", "a.vxm", "-o"},
        {"scores", "a.vxm", "--force"},
        {"help", "frobnicate"},
        {"add", "m.vxm"},
        {"import-check"},
        {"import-check", "q.gift", "--format", "xml"},
        {"add", "m.vxm", "--questions", "q", "--points", "-1"},
        {"create", folder.file("a.vxm"), "--title", "T", "--questions", "q", "--easy-points=1.5"},
        {"add", "m.vxm", "--questions", "q", "--strict", "--strict"}};
    for (const auto& arguments : wrong) {
        const auto run = runCommand(arguments, folder);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(run.err.empty());
        EXPECT_FALSE(std::filesystem::exists(folder.file("a.vxm")));
    }
    for (const char* command : {"create", "add", "import-check", "info", "check", "export",
                                "reset-asked", "clear-scores", "scores"}) {
        for (const auto& arguments :
             std::vector<std::vector<std::string>>{{"help", command}, {command, "--help"}}) {
            const auto run = runCommand(arguments, folder);
            EXPECT_EQ(run.status, 0) << command;
            EXPECT_EQ(run.out.rfind(std::string("Usage: vexlor-module ") + command, 0), 0u)
                << run.out;
        }
    }
    EXPECT_NE(runCommand({"--help"}, folder).out.find("reset-asked"), std::string::npos);
    EXPECT_EQ(runCommand({"--version"}, folder).out, "vexlor-module (Vexlor Player) 0.1.0\n");
}

TEST(ToolModuleFile, OpensInTheSqlcipherShellOnlyWithTheKey) {
    // A module is an ordinary encrypted database: the shell reads it with the key, not without.
    TempFolder folder;
    const std::string module = testing::makeModule(folder, kTrickyCsv);
    const std::string shell = "sqlcipher " + testing::shellQuoted(module) + " < " +
                              testing::shellQuoted(folder.file("in.sql"));

    writeBytes(folder.file("in.sql"),
               "PRAGMA key = 'tov3ralu';\nSELECT count(*) FROM MainData;\n"
               "SELECT Title FROM Propriete;\nSELECT Reponce FROM MainData WHERE rowid = 2;\n");
    const auto keyed = testing::runShell(shell, folder);
    EXPECT_EQ(keyed.status, 0) << keyed.err;
    EXPECT_EQ(keyed.out, "3\nQuiz\nÅngström\n");

    writeBytes(folder.file("in.sql"), "SELECT count(*) FROM MainData;\n");
    const auto unkeyed = testing::runShell(shell, folder);
    EXPECT_NE(unkeyed.status, 0);
    EXPECT_EQ(unkeyed.out, "");
    EXPECT_NE(unkeyed.err.find("not a database"), std::string::npos) << unkeyed.err;
}

}  // namespace
}  // namespace vexlor::authoring
