// The check command: every problem that would spoil a game is listed, a sound module passes.

#include <gtest/gtest.h>

#include "authoring/module_check.h"
#include "support/module_files.h"
#include "tool_support.h"

namespace vexlor::authoring {
namespace {

using testing::kHeader;
using testing::runInProcess;
using vexlor::testing::alterModule;
using vexlor::testing::TempFolder;

// 140 characters: four lines of the question's panel, five beside a picture.
const std::string kLong =
    "\"Which river flows through more countries than any other river in the world, and into which "
    "sea does it empty at the end of its long journey?\"";

TEST(ModuleCheck, ReportsEachQuestionProblemOnItsOwnLine) {
    // Texts, answers, points and media are checked per question, media beside the module as the
    // game looks for it (its path rules are the game's, checked with the game), and texts
    // against their panels in the game's font: the question's panel is narrower beside a
    // picture.
    TempFolder folder, elsewhere;
    for (const char* media : {"pic.gif", "snd.WAV", "mixed.Mp3"})
        testing::writeBytes(folder.file(media), "x");
    testing::writeBytes(elsewhere.file("far.gif"), "x");
    std::filesystem::create_symlink(elsewhere.file("far.gif"), folder.file("link.gif"));
    const std::string module = testing::makeModule(
        folder, kHeader +
                    "Fine,A,B,C,D,10,pic.gif\r\n"
                    " ,A,B,C,D,10,\r\n"
                    "Q3,,B, ,D,10,\r\n"
                    "Q4,Paris,Lyon,Paris ,Nice,10,\r\n"
                    "Q5,A,B,C,D,ten,\r\n"
                    "Q6,A,B,C,D,10,gone.mp3\r\n"
                    "Q7,A,B,C,D,10,mixed.Mp3\r\n"
                    "Also fine,A,B,C,D,-.5,snd.WAV\r\n"
                    "Q9,A,B,C,D,,photo.png\r\n"
                    "Q10,A,B,C,D,1,../x.wav\r\n"
                    "Q11,A,B,C,D,1,link.gif\r\n"
                    "Case fine,A,B,C,D,1,PIC.GIF\r\n"
                    "Q13,A,B,C,D,10 pts,\r\n" +
                    kLong + ",A,B,C,D,1,\r\n" + kLong +
                    ",A,B,C,D,1,pic.gif\r\n"
                    "Q16,A,B,C,\"The Danube, through ten countries of Europe\",1,\r\n");
    const auto run = runInProcess({"check", module});
    EXPECT_EQ(run.status, 1);
    const char* notPlayed =
        " is neither shown nor played: pictures must be gif, bmp or ico and sounds mp3, mid or "
        "wav, the ending all lower or all upper case\n";
    const char* notNumber =
        " is not a number, so the question is worth 0: write digits, such as 100\n";
    EXPECT_EQ(run.out,
              std::string("question 2 (Question): Question is empty\n"
                          "question 3 (Reponce): Right answer is empty\n"
                          "question 3 (False2): Wrong answer 2 is empty\n"
                          "question 4 (False2): Right answer and Wrong answer 2 are the same "
                          "answer \"Paris\"\n"
                          "question 5 (Points): Points \"ten\"") +
                  notNumber + "question 6 (Audio): Picture or sound \"gone.mp3\" is not in \"" +
                  folder.path().string() + "\": put it there, beside the module\n" +
                  "question 7 (Audio): Picture or sound \"mixed.Mp3\"" + notPlayed +
                  "question 9 (Points): Points \"\"" + notNumber +
                  "question 9 (Audio): Picture or sound \"photo.png\"" + notPlayed +
                  "question 10 (Audio): Picture or sound \"../x.wav\" lies outside the module's "
                  "folder: give a name relative to the folder, which travels with the module\n"
                  "question 11 (Audio): Picture or sound \"link.gif\" is a link leading outside "
                  "the module's folder, which the game does not follow: copy the file into the "
                  "folder\n"
                  "question 13 (Points): Points \"10 pts\" shows as \"10 pts Point Question\": "
                  "write only the number\n"
                  "question 15 (Question): Question (beside its picture) is too long for its "
                  "panel: 5 lines where 4 fit; shorten it\n"
                  "question 16 (False3): Wrong answer 3 is too long for its panel: 2 lines "
                  "where 1 fit; shorten it\n");

    // Without the faulty questions the module passes.
    ASSERT_TRUE(alterModule(module, {"DELETE FROM MainData WHERE Question NOT LIKE '%ine'"}));
    const auto passed = runInProcess({"check", module});
    EXPECT_EQ(passed.status, 0);
    EXPECT_EQ(passed.out, "ok: 3 questions, 2 pictures, 1 sound\n");
}

TEST(ModuleCheck, ReportsAnEmptyTitleNoQuestionsAndTooManyQuestions) {
    // The game refuses an empty title and counts questions with 16-bit integers.
    TempFolder folder;
    const std::string empty =
        testing::makeModule(folder, kHeader + "Q,A,B,C,D,1,\r\n", "empty.vxm");
    ASSERT_TRUE(alterModule(empty, {"UPDATE Propriete SET Title = ''", "DELETE FROM MainData"}));
    auto run = runInProcess({"check", empty});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "module: the title is empty\nmodule: there are no questions\n");
    ASSERT_TRUE(alterModule(empty, {"DELETE FROM Propriete"}));
    EXPECT_EQ(
        runInProcess({"check", empty}).out.rfind("module: the properties table has no row", 0), 0u);

    std::string many = kHeader;
    for (int i = 0; i < 32767; ++i) many += "Q,A,B,C,D,1,\r\n";
    const std::string big = testing::makeModule(folder, many, "big.vxm");
    EXPECT_EQ(runInProcess({"check", big}).out, "ok: 32767 questions, 0 pictures, 0 sounds\n");
    // Neither create nor add makes a module the game refuses.
    testing::writeBytes(folder.file("more.csv"), many + "Q,A,B,C,D,1,\r\n");
    const std::string limit = " questions; the game counts at most 32767\n";
    EXPECT_EQ(
        runInProcess({"create", folder.file("more.vxm"), "--title", "T", "--questions",
                      folder.file("more.csv")})
            .err,
        folder.file("more.vxm") + ": cannot write the module: the module would hold 32768" + limit);
    EXPECT_FALSE(std::filesystem::exists(folder.file("more.vxm")));
    EXPECT_EQ(runInProcess({"add", big, "--questions", folder.file("more.csv")}).err,
              big + ": cannot add the questions: the module would hold 65535" + limit);
    ASSERT_TRUE(alterModule(big, {"INSERT INTO MainData SELECT * FROM MainData LIMIT 1"}));
    run = runInProcess({"check", big});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "module: there are 32768 questions; the game counts at most 32767\n");
}

}  // namespace
}  // namespace vexlor::authoring
