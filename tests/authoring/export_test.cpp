// Questions exported in each format read back through the import readers to the same
// questions, texts that need escaping in that format included.

#include <sstream>

#include "authoring/document_fixture.h"
#include "authoring/export.h"
#include "authoring/question_csv.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring::testing {
namespace {

Question make(std::string text, std::array<std::string, 4> answers, std::string points = "100",
              std::string media = "") {
    return Question{std::move(text), std::move(answers), std::move(points), std::move(media)};
}

// Texts each format has to escape or work around, and plain ones.
std::vector<Question> trickyQuestions() {
    return {
        make("Plain question?", {"Yes", "No", "Maybe", "Never"}),
        // GIFT's special characters, and a line break.
        make("What is {x} = 2: ~3 # \\ ?\nSecond line", {"a=b", "c~d", "#hash", "{x}"}),
        // HTML's reserved characters, and references that must stay as written.
        make("Tom & Jerry's \"best\" <episode>?", {"&amp; is written", "<b>", "it's", "5 > 3"}),
        // CSV's comma and quote; Aiken's option-like and answer-like lines inside a question.
        make("Commas, \"quotes\" and\nB. a line like an option\nANSWER: like the answer",
             {"one, two", "\"three\"", "four", "five"}),
        // GIFT's weights and matching pairs, and a format marker.
        make("[html] is this a marker?", {"%50% of it", "a->b", "50%", "%"}),
        make("Unicode: école, Жук, 日本語 ✓", {"é", "ж", "日", "✓"}),
    };
}

struct FormatCase {
    ImportFormat format;
    bool keepsPoints;
    bool keepsMedia;
};

TEST(ExportTest, EveryFormatReadsBackToTheSameQuestions) {
    // Aiken and GIFT keep no points and no media (the reader gives its default points), Open
    // Trivia DB keeps points that name a difficulty, CSV keeps everything; the texts come back
    // as they were, but that Aiken writes the lines of a question it would misread on one.
    const FormatCase cases[] = {{ImportFormat::kCsv, true, true},
                                {ImportFormat::kAiken, false, false},
                                {ImportFormat::kGift, false, false},
                                {ImportFormat::kOpenTdb, true, false}};
    for (const FormatCase& format : cases) {
        SCOPED_TRACE(std::string(formatName(format.format)));
        std::vector<Question> questions = trickyQuestions();
        questions[0].points = "200";
        questions[1].points = "300";
        questions[2].media = "media/tom.gif";
        const ImportSettings settings{.points = 100};
        const std::string text = exportQuestions(format.format, questions, settings);
        const ImportResult back = readQuestions(format.format, text, settings);
        ASSERT_FALSE(back.fatal) << back.fatal->message << "\n" << text;
        for (const auto& problem : back.problems) ADD_FAILURE() << problem.describe("export");
        ASSERT_EQ(back.questions.size(), questions.size()) << text;
        for (std::size_t i = 0; i < questions.size(); ++i) {
            Question expected = questions[i];
            if (!format.keepsPoints) expected.points = "100";
            if (!format.keepsMedia) expected.media.clear();
            if (format.format == ImportFormat::kAiken && i == 3)
                expected.text =
                    "Commas, \"quotes\" and B. a line like an option ANSWER: like the answer";
            EXPECT_EQ(back.questions[i].fields(), expected.fields()) << i << "\n" << text;
        }
    }
}

TEST(ExportTest, TheToolExportsEachFormatAndCsvStaysTheDefault) {
    // export --format writes what the reader of that format reads; without it, the CSV it
    // always wrote.
    TempFolder folder;
    const std::string path = folder.file("quiz.vxm");
    ASSERT_TRUE(writeModule(path, {"Quiz", "", "", ""}, trickyQuestions(), false).ok());
    auto run = [&](std::vector<std::string> arguments) {
        std::ostringstream out, err;
        EXPECT_EQ(runTool(arguments, out, err), 0) << err.str();
        return out.str();
    };
    EXPECT_EQ(run({"export", path}), questionsCsv(trickyQuestions()));
    EXPECT_EQ(run({"export", path, "--format", "csv"}), questionsCsv(trickyQuestions()));
    for (const char* name : {"aiken", "gift", "opentdb"}) {
        const ImportFormat format = *formatNamed(name);
        const std::string text = run({"export", path, "--format", name});
        EXPECT_EQ(text, exportQuestions(format, trickyQuestions())) << name;
        EXPECT_EQ(readQuestions(format, text, {}).questions.size(), trickyQuestions().size())
            << name;
    }
    std::ostringstream out, err;
    EXPECT_NE(runTool({"export", path, "--format", "xml"}, out, err), 0);
}

}  // namespace
}  // namespace vexlor::authoring::testing
