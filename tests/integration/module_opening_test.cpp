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

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

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
    std::string goodModule(const std::string& name = "quiz.vxm", const std::string& title = "Capitals") {
        return module(name, {.properties = std::vector<std::string>{title, "Ann", "Quiz Co", "2024"},
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
    for (const modules::DataSource* source : {&f.form.Data1, &f.form.Data2, &f.form.Data3, &f.form.Data4}) {
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
    EXPECT_EQ(bytesOf(dummy), "anything");

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
    ASSERT_TRUE(testing::writeModule(refused.back(), {.questions = testing::sampleQuestions(2)}, ""));
    refused.push_back(folder.file("otherkey.vxm"));
    ASSERT_TRUE(testing::writeModule(refused.back(), {.questions = testing::sampleQuestions(2)}, "another1"));
    refused.push_back(module("noproperties.vxm", {.properties = std::nullopt, .questions = testing::sampleQuestions(2)}));
    refused.push_back(module("emptyproperties.vxm", {.properties = std::vector<std::string>{}, .questions = testing::sampleQuestions(2)}));
    refused.push_back(module("notitle.vxm", {.properties = std::vector<std::string>{"", "Ann", "Co", "2024"},
                                             .questions = testing::sampleQuestions(2)}));

    for (const std::string& path : refused) {
        SCOPED_TRACE(path);
        const std::string before = bytesOf(path);
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
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    }
}

TEST_F(OpeningTest, ARefusalAfterAGoodModuleKeepsItsQuestionsBoundAndStartOffered) {
    const std::string good = goodModule();
    open(good);
    const std::string bad = module("bad.vxm", {.properties = std::vector<std::string>{"", "", "", ""},
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
    for (const modules::DataSource* source : {&f.form.Data1, &f.form.Data2, &f.form.Data3, &f.form.Data4})
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
