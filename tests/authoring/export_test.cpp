// Questions exported in each format read back through the import readers to the same
// questions, or the export says what it could not keep; exports are written whole, never over
// the module they come from.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <set>
#include <sstream>

#include "authoring/document_fixture.h"
#include "authoring/export.h"
#include "authoring/file_write.h"
#include "authoring/question_csv.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;
using vexlor::testing::entries;

// gtest's own check, so that a failure shows both texts.
::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text << "\" lacks \"" << part << "\"";
}

Question make(std::string text, std::array<std::string, 4> answers, std::string points = "100",
              std::string media = "") {
    return Question{std::move(text), std::move(answers), std::move(points), std::move(media)};
}

// Texts each format has to escape or work around, texts no format can keep, and plain ones.
std::vector<Question> trickyQuestions() {
    return {
        make("Plain question?", {"Yes", "No", "Maybe", "Never"}, "200"),
        // GIFT's special characters, and a line break.
        make("What is {x} = 2: ~3 # \\ ?\nSecond line", {"a=b", "c~d", "#hash", "{x}"}),
        // HTML's reserved characters, and references that must stay as written.
        make("Tom & Jerry's \"best\" <episode>?", {"&amp; is written", "<b>", "it's", "5 > 3"},
             "100", "media/tom.gif"),
        // CSV's comma and quote; Aiken's option-like and answer-like lines inside a question.
        make("Commas, \"quotes\" and\nB. a line like an option\nANSWER: like the answer",
             {"one, two", "\"three\"", "four", "five"}),
        // GIFT's weights and matching pairs, and a format marker.
        make("[html] is this a marker?", {"%50% of it", "a->b", "50%", "%"}),
        make("Unicode: école, Жук, 日本語 ✓", {"é", "ж", "日", "✓"}),
        // 6: Aiken's answer line as the first line of a question.
        make("Answer: which number is it?", {"42", "41", "40", "39"}),
        // 7: GIFT's escape character before letters, braces and at the end.
        make("Where is C:\\new\\table?", {"\\{", "a\\", "\\\\server", "\\n"}),
        // 8: Open Trivia DB texts that look percent-encoded.
        make("%20", {"%41%42", "20%OFF", "%2", "%%"}),
        // 9: bytes another program wrote in Windows-1252.
        make("Caf\xE9?", {"Th\xE9", "Eau", "Lait", "Jus"}),
        // 10: what a spreadsheet would run, and numbers it must keep as numbers.
        make("=HYPERLINK(\"http://example.com\",\"Click\")", {"+1", "-5", "@SUM(A1)", "\tTab"},
             "-5"),
        // 11: apostrophes of the text's own.
        make("'Tis the season?", {"'=kept", "''", "'", "it's"}),
        // 12: a draft the game cannot ask: only CSV holds it.
        make("Unfinished?", {"a", "b", "", "d"}),
    };
}

struct FormatCase {
    ImportFormat format;
    std::set<std::size_t> changed;  ///< read back otherwise, and said so
    std::set<std::size_t> leftOut;
};

TEST(ExportTest, EveryQuestionReadsBackTheSameOrTheExportSaysWhatItLoses) {
    // Aiken and GIFT keep no points and no media, Open Trivia DB keeps points that name a
    // difficulty, CSV keeps everything; whatever a format cannot keep is said of its question,
    // and a question said to be kept reads back equal.
    const FormatCase cases[] = {
        {ImportFormat::kCsv, {9}, {}},
        {ImportFormat::kAiken, {0, 2, 3, 6, 9, 10}, {12}},
        {ImportFormat::kGift, {0, 2, 9, 10}, {12}},
        {ImportFormat::kOpenTdb, {2, 9, 10}, {12}},
    };
    const std::vector<Question> questions = trickyQuestions();
    for (const FormatCase& format : cases) {
        SCOPED_TRACE(std::string(formatName(format.format)));
        const ExportResult exported = exportQuestions(format.format, questions);
        std::set<std::size_t> changed, leftOut;
        for (const ExportLoss& loss : exported.losses) {
            EXPECT_FALSE(loss.message.empty());
            (loss.leftOut ? leftOut : changed).insert(loss.question);
        }
        EXPECT_EQ(changed, format.changed);
        EXPECT_EQ(leftOut, format.leftOut);

        const ImportResult back = readQuestions(format.format, exported.text, {});
        ASSERT_FALSE(back.fatal) << back.fatal->message << "\n" << exported.text;
        for (const auto& problem : back.problems) ADD_FAILURE() << problem.describe("export");
        ASSERT_EQ(back.questions.size(), questions.size() - leftOut.size()) << exported.text;
        EXPECT_EQ(exported.written, back.questions.size());
        for (std::size_t i = 0, read = 0; i < questions.size(); ++i) {
            if (leftOut.count(i)) continue;
            const bool same = back.questions[read++].fields() == questions[i].fields();
            EXPECT_EQ(same, !changed.count(i)) << i << "\n" << exported.text;
        }
        const auto said = [&](std::size_t question) {
            for (const ExportLoss& loss : exported.losses)
                if (loss.question == question) return loss.message;
            return std::string();
        };
        EXPECT_TRUE(contains(said(9), "the question is not UTF-8: written as \"Café?\""));
        if (format.format == ImportFormat::kAiken) {
            EXPECT_TRUE(contains(said(6), "reads back as \"Answer : which number is it?\""));
        }
        if (format.format == ImportFormat::kGift) {
            EXPECT_TRUE(contains(said(0), "its points \"200\" are not kept"));
        }
        if (!format.leftOut.empty()) {
            EXPECT_EQ(said(12), "left out: a wrong answer is empty");
        }
    }
}

TEST(ExportTest, CsvCellsNeverStartAFormulaInASpreadsheet) {
    // Read by another CSV reader, as a spreadsheet would: no cell starts with a formula's
    // character unless it is a number, which a spreadsheet keeps as a number.
    TempFolder folder;
    const std::string path = folder.file("out.csv");
    writeBytes(path, exportQuestions(ImportFormat::kCsv, trickyQuestions()).text);
    const std::string script =
        "import csv, sys\n"
        "for row in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')):\n"
        "    for cell in row:\n"
        "        if cell[:1] in ('=', '+', '-', '@', '\\t', '\\r'): print(repr(cell))\n";
    writeBytes(folder.file("cells.py"), script);
    FILE* pipe = ::popen(("python3 '" + folder.file("cells.py") + "' '" + path + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    for (int c; (c = std::fgetc(pipe)) != EOF;) printed += static_cast<char>(c);
    ASSERT_EQ(::pclose(pipe), 0) << printed;
    EXPECT_EQ(printed, "'+1'\n'-5'\n'-5'\n");
}

TEST(ExportTest, AnExportReplacesItsTargetWholeAndNeverTheModule) {
    // The module by any of its names, a folder, a pipe and a device are refused and left as
    // they were; a file is replaced whole with its permissions, a link keeps naming it, and a
    // write that fails half-way leaves the old file; no temporary file is ever left behind.
    TempFolder folder;
    const std::string module = sampleModule(folder, 3);
    const std::string moduleBytes = vexlor::testing::readBytes(module);
    fs::create_directory(folder.path() / "sub");
    fs::create_hard_link(module, folder.path() / "hard.vxm");
    fs::create_symlink("quiz.vxm", folder.path() / "link.csv");
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    writeBytes(folder.file("old.csv"), "old");
    fs::permissions(folder.file("old.csv"), fs::perms(0640));
    writeBytes(folder.file("real.csv"), "real");
    fs::create_symlink("real.csv", folder.path() / "latest.csv");
    const std::vector<std::string> before = entries(folder.path());

    const std::pair<fs::path, std::string> refused[] = {
        {module, "is the module itself"},
        {folder.path() / "hard.vxm", "is the module itself"},
        {folder.path() / "link.csv", "is the module itself"},
        {folder.path() / "." / "quiz.vxm", "is the module itself"},
        {folder.path() / "sub" / ".." / "quiz.vxm", "is the module itself"},
        {folder.path() / "sub", "is a folder"},
        {folder.path() / "pipe", "is a pipe, a device or a socket"},
        {"/dev/null", "is a pipe, a device or a socket"},
    };
    for (const auto& [target, why] : refused) {
        const Status written = writeWholeFile(target, "Question\r\n", module, "the module");
        ASSERT_FALSE(written.ok()) << target;
        EXPECT_TRUE(contains(written.error().what(), why));
    }
    EXPECT_EQ(vexlor::testing::readBytes(module), moduleBytes);
    EXPECT_EQ(entries(folder.path()), before);

    for (const char* name : {"new.csv", "old.csv", "latest.csv"})
        ASSERT_TRUE(writeWholeFile(folder.file(name), name, module, "the module").ok()) << name;
    EXPECT_EQ(vexlor::testing::readBytes(folder.file("new.csv")), "new.csv");
    EXPECT_EQ(vexlor::testing::readBytes(folder.file("old.csv")), "old.csv");
    EXPECT_EQ(fs::status(folder.file("old.csv")).permissions(), fs::perms(0640));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "latest.csv"));
    EXPECT_EQ(vexlor::testing::readBytes(folder.file("real.csv")), "latest.csv");

    // A file size limit makes the write fail after the temporary file is made.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status tooLarge =
        writeWholeFile(folder.file("old.csv"), std::string(1 << 20, 'x'), module, "the module");
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_FALSE(tooLarge.ok());
    EXPECT_EQ(vexlor::testing::readBytes(folder.file("old.csv")), "old.csv");
    std::vector<std::string> after = before;
    after.push_back("new.csv");
    std::sort(after.begin(), after.end());
    EXPECT_EQ(entries(folder.path()), after);
}

TEST(ExportTest, TheToolExportsEachFormatSayingWhatIsLostAndNeverOverTheModule) {
    // export --format writes what the reader of that format reads, CSV without it; what a
    // format cannot keep is said on the standard error, and the export is made all the same;
    // -o naming the module by any name is refused.
    TempFolder folder;
    const std::string path = folder.file("quiz.vxm");
    ASSERT_TRUE(writeModule(path, {"Quiz", "", "", ""}, trickyQuestions(), false).ok());
    auto run = [&](std::vector<std::string> arguments, int status = 0) {
        std::ostringstream out, err;
        EXPECT_EQ(runTool(arguments, out, err), status) << err.str();
        return std::pair(out.str(), err.str());
    };
    EXPECT_EQ(run({"export", path}).first,
              exportQuestions(ImportFormat::kCsv, trickyQuestions()).text);
    for (const char* name : {"csv", "aiken", "gift", "opentdb"}) {
        const ExportResult expected = exportQuestions(*formatNamed(name), trickyQuestions());
        const auto [text, said] = run({"export", path, "--format", name});
        EXPECT_EQ(text, expected.text) << name;
        std::istringstream lines(said);
        std::string line;
        for (const ExportLoss& loss : expected.losses) {
            std::getline(lines, line);
            EXPECT_TRUE(contains(line, path + ": question " + std::to_string(loss.question + 1)));
            EXPECT_TRUE(contains(line, "\": " + loss.message));
        }
        EXPECT_FALSE(std::getline(lines, line)) << line;
    }
    const auto [summary, said] = run({"export", path, "--format", "aiken", "-o", folder.file("a")});
    EXPECT_EQ(summary, "exported 12 questions to " + folder.file("a") + " (1 left out)\n");

    const std::string moduleBytes = vexlor::testing::readBytes(path);
    fs::create_symlink("quiz.vxm", folder.path() / "link.csv");
    for (const std::string& target : {path, folder.file("link.csv"), folder.file("./quiz.vxm")}) {
        const auto [out, err] = run({"export", path, "-o", target}, 1);
        EXPECT_EQ(err, target + ": is the module itself; choose another file\n");
    }
    EXPECT_EQ(vexlor::testing::readBytes(path), moduleBytes);
    std::ostringstream out, err;
    EXPECT_NE(runTool({"export", path, "--format", "xml"}, out, err), 0);
}

}  // namespace
}  // namespace vexlor::authoring::testing
