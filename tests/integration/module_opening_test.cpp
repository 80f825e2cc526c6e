// Opening a module with the Open button: the dialog, the refusals and what each leaves bound.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../support/fakes.h"
#include "../support/module_files.h"

namespace vexlor::app {
namespace {

using testing::ModuleContent;
using testing::TempFolder;

class OpeningTest : public ::testing::Test {
  protected:
    OpeningTest() {
        f.fileSystem.current = folder.path().string();
        f.form.Form_Load();
    }
    std::string module(const std::string& name, ModuleContent content) {
        const std::string path = folder.file(name);
        EXPECT_TRUE(testing::writeModule(path, content));
        return path;
    }
    std::string goodModule(const std::string& name = "quiz.vxm",
                           const std::string& title = "Capitals") {
        return module(name,
                      {.properties = std::vector<std::string>{title, "Ann", "Quiz Co", "2024"},
                       .questions = testing::sampleQuestions(4)});
    }
    void open(const std::optional<std::string>& answer) {
        f.fileDialog.answers.push_back(answer);
        f.form.Modu_Click();
    }

    TempFolder folder;
    testing::FormFixture f;
};

TEST_F(OpeningTest, AGoodModuleIsBoundAndOffersStart) {
    const std::string path = goodModule("quiz.vxm", "  Capitals & Rivers ");
    open(path);

    ASSERT_EQ(f.fileDialog.requests.size(), 1u);
    const auto& request = f.fileDialog.requests[0];
    EXPECT_EQ(request.title, "Open Vexlor Module");
    EXPECT_EQ(request.filter, "Vexlor Module (*.vxm)|*.vxm");
    EXPECT_EQ(request.flags, 0x140C);
    EXPECT_EQ(request.initialFolder, folder.path().string());

    EXPECT_TRUE(f.messageBox.shown.empty());
    EXPECT_EQ(f.form.Caption, "Vexlor Player -   Capitals & Rivers ");
    EXPECT_EQ(f.form.Panel.Caption, "Press Start to begin the Game");
    EXPECT_TRUE(f.form.Start.Visible);
    EXPECT_TRUE(f.form.TopTen.Visible);
    EXPECT_EQ(f.form.New1.FileName, path);
    EXPECT_EQ(f.form.Label1.Caption, "2024");
    EXPECT_EQ(f.form.Label3.Caption, "Ann");
    EXPECT_EQ(f.form.Label4.Caption, "Quiz Co");
    EXPECT_EQ(f.form.PanelQuestion.Caption, "Question 1");
    EXPECT_EQ(f.form.Data1.RecordCount(), 4);
    for (const modules::DataSource* source :
         {&f.form.Data1, &f.form.Data2, &f.form.Data3, &f.form.Data4}) {
        EXPECT_EQ(source->Connect, ";pwd=tov3ralu");
        EXPECT_EQ(source->RecordsetType, 1);
        EXPECT_EQ(source->DatabaseName, path);
        EXPECT_TRUE(source->isOpen()) << source->name();
    }
    EXPECT_EQ(f.form.Data2.RecordSource, "Use");
    EXPECT_EQ(f.form.Data4.RecordSource, "HScore");
}

TEST_F(OpeningTest, CancellingChangesNothing) {
    const std::string path = goodModule();
    open(path);
    f.form.Caption = "marker";
    open(std::nullopt);
    open(std::string{});  // an empty name stops too
    EXPECT_EQ(f.form.Caption, "marker");
    EXPECT_TRUE(f.messageBox.shown.empty());
    EXPECT_EQ(f.form.New1.FileName, "");
    EXPECT_EQ(f.form.Data3.DatabaseName, path);
}

TEST_F(OpeningTest, DummyMdbIsRefusedByNameBeforeAnyDatabaseIsTouched) {
    const std::string good = goodModule();
    open(good);
    std::filesystem::create_directory(folder.path() / "sub");
    const std::string dummy = (folder.path() / "sub" / "Dummy.mdb").string();
    std::ofstream(dummy) << "anything";
    open(dummy);

    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.messageBox.shown[0].text, "Dummy.mdb\rYou can't use this file name");
    EXPECT_EQ(f.messageBox.shown[0].style, 48);
    EXPECT_EQ(f.messageBox.shown[0].title, "Open Vexlor Module");
    // The module open before stays fully usable.
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Capitals");
    EXPECT_EQ(f.form.Label2.Caption, "Capitals");
    EXPECT_TRUE(f.form.Data3.isOpen());
    EXPECT_EQ(f.form.Data3.DatabaseName, good);
    EXPECT_TRUE(f.form.Data1.MoveLast());
    EXPECT_EQ(testing::readBytes(dummy), "anything");

    // The name test is exact: another letter case is judged by its content.
    const std::string lower = goodModule("dummy.mdb", "Lower Case");
    open(lower);
    EXPECT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Lower Case");
}

TEST_F(OpeningTest, EveryUnreadableFileIsNotAValidModuleAndIsLeftAsItWas) {
    std::vector<std::string> refused;
    auto add = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder.file(name), std::ios::binary) << bytes;
        refused.push_back(folder.file(name));
    };
    add("empty.vxm", "");
    std::string noise;
    for (int i = 0; i < 8192; ++i) noise += static_cast<char>((i * 7919 + 13) % 256);
    add("noise.vxm", noise);
    add("text.vxm", "Question,Reponce\nWhat?,That\n");
    refused.push_back(folder.file("plain.vxm"));
    ASSERT_TRUE(
        testing::writeModule(refused.back(), {.questions = testing::sampleQuestions(2)}, ""));
    refused.push_back(folder.file("otherkey.vxm"));
    ASSERT_TRUE(testing::writeModule(refused.back(), {.questions = testing::sampleQuestions(2)},
                                     "another1"));
    refused.push_back(module("noproperties.vxm", {.properties = std::nullopt,
                                                  .questions = testing::sampleQuestions(2)}));
    refused.push_back(module("emptyproperties.vxm", {.properties = std::vector<std::string>{},
                                                     .questions = testing::sampleQuestions(2)}));
    refused.push_back(
        module("notitle.vxm", {.properties = std::vector<std::string>{"", "Ann", "Co", "2024"},
                               .questions = testing::sampleQuestions(2)}));

    for (const std::string& path : refused) {
        SCOPED_TRACE(path);
        const std::string before = testing::readBytes(path);
        f.messageBox.shown.clear();
        open(path);
        ASSERT_EQ(f.messageBox.shown.size(), 1u);
        const std::string shortName = std::filesystem::path(path).filename().string();
        EXPECT_EQ(f.messageBox.shown[0].text, shortName + "\rNot a Valid Module");
        EXPECT_EQ(f.messageBox.shown[0].style, 48);
        EXPECT_EQ(f.messageBox.shown[0].title, "Open Vexlor Module");
        EXPECT_EQ(f.form.Caption, "Vexlor Player - ");
        EXPECT_FALSE(f.form.Start.Visible);
        EXPECT_EQ(f.form.Panel.Caption, "Press Open to select a Module");
        EXPECT_EQ(f.form.Data3.DatabaseName, path);
        EXPECT_EQ(testing::readBytes(path), before);
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    }
}

TEST_F(OpeningTest, DamagedModulesNeverCrashAndAreNeverWritten) {
    const std::string good = testing::readBytes(goodModule("good.vxm"));
    ASSERT_GT(good.size(), 4096u);
    std::vector<std::string> damaged;
    for (std::size_t length :
         {std::size_t{16}, std::size_t{100}, std::size_t{1024}, good.size() / 2, good.size() - 1})
        damaged.push_back(good.substr(0, length));
    for (std::size_t at :
         {std::size_t{0}, std::size_t{20}, std::size_t{1500}, good.size() / 2, good.size() - 1}) {
        damaged.push_back(good);
        damaged.back()[at] = static_cast<char>(damaged.back()[at] ^ 0x5A);
    }
    int refused = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = folder.file("damaged" + std::to_string(i) + ".vxm");
        std::ofstream(path, std::ios::binary) << damaged[i];
        const std::size_t messages = f.messageBox.shown.size();
        open(path);
        // Either it reads as a module or it is refused; it is never changed.
        if (f.messageBox.shown.size() > messages) {
            ++refused;
            EXPECT_EQ(f.messageBox.shown.back().text,
                      "damaged" + std::to_string(i) + ".vxm\rNot a Valid Module");
        }
        EXPECT_EQ(testing::readBytes(path), damaged[i]);
    }
    EXPECT_GE(refused, 6);  // at least every cut through the first pages and every early flip
}

TEST_F(OpeningTest, ARefusalAfterAGoodModuleKeepsItsQuestionsBoundAndStartOffered) {
    const std::string good = goodModule();
    open(good);
    const std::string bad =
        module("bad.vxm", {.properties = std::vector<std::string>{"", "", "", ""},
                           .questions = testing::sampleQuestions(9)});
    open(bad);

    EXPECT_EQ(f.form.Caption, "Vexlor Player - ");
    EXPECT_EQ(f.form.Label2.Caption, "");
    EXPECT_EQ(f.form.Data3.DatabaseName, bad);
    EXPECT_TRUE(f.form.Start.Visible);
    EXPECT_TRUE(f.form.TopTen.Visible);
    EXPECT_EQ(f.form.Panel.Caption, "Press Start to begin the Game");
    for (const modules::DataSource* source : {&f.form.Data1, &f.form.Data2, &f.form.Data4}) {
        EXPECT_EQ(source->DatabaseName, good) << source->name();
        EXPECT_TRUE(source->isOpen()) << source->name();
    }
    EXPECT_EQ(f.form.Data1.RecordCount(), 4);
    EXPECT_EQ(f.form.PanelQuestion.Caption, "Question 1");

    // Opening a good one again replaces every source.
    const std::string other = goodModule("other.vxm", "Rivers");
    open(other);
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Rivers");
    for (const modules::DataSource* source :
         {&f.form.Data1, &f.form.Data2, &f.form.Data3, &f.form.Data4})
        EXPECT_EQ(source->DatabaseName, other) << source->name();
}

TEST_F(OpeningTest, MissingQuestionTablesAreNotCheckedWhenOpening) {
    const std::string path = module("props-only.vxm", {.withMainData = false});
    open(path);
    EXPECT_TRUE(f.messageBox.shown.empty());
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Test Module");
    EXPECT_TRUE(f.form.Start.Visible);
    EXPECT_FALSE(f.form.Data1.isOpen());
}

}  // namespace
}  // namespace vexlor::app
