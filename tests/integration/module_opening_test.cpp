// Opening a module with the Open button: the dialog, the refusals and what each leaves bound.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/fakes.h"
#include "support/module_files.h"

namespace vexlor::app {
namespace {

class OpeningTest : public ::testing::Test {
  protected:
    OpeningTest() {
        f.fileSystem.current = folder.path().string();
        f.form.Form_Load();
    }
    std::string module(const std::string& name, std::vector<std::string> properties,
                       const std::string& key = "tov3ralu") {
        const std::string path = folder.file(name);
        EXPECT_TRUE(testing::writeModule(
            path, {.properties = std::move(properties), .questions = testing::sampleQuestions(4)},
            key));
        return path;
    }
    std::string good(const std::string& name = "quiz.vxm", const std::string& title = "Capitals") {
        return module(name, {title, "Ann", "Quiz Co", "2024"});
    }
    void expectBoundTo(const std::string& path, const std::string& caption) {
        EXPECT_EQ(f.form.Caption, "Vexlor Player - " + caption);
        EXPECT_TRUE(f.form.Start.Visible && f.form.TopTen.Visible);
        EXPECT_EQ(f.form.Panel.Caption, "Press Start to begin the Game");
        for (const app::DataView* source : {&f.form.Data1, &f.form.Data2, &f.form.Data4})
            EXPECT_TRUE(source->isOpen() && source->DatabaseName == path) << source->name();
        EXPECT_EQ(f.form.Data1.RecordCount(), 4);
        EXPECT_EQ(f.form.PanelQuestion.Caption, "Question 1");
    }

    testing::TempFolder folder;
    testing::FormFixture f;
};

// The dialog asks for a module in the start folder; a good module binds every source, shows its
// title as stored and its properties, and offers Start; cancelling changes nothing.
TEST_F(OpeningTest, AGoodModuleIsBoundAndOffersStart) {
    const std::string path = good("quiz.vxm", "  Capitals & Rivers ");
    f.open(path);
    const auto& request = f.fileDialog.requests.at(0);
    EXPECT_EQ(request.title, "Open Vexlor Module");
    EXPECT_EQ(request.filter, "Vexlor Module (*.vxm)|*.vxm");
    EXPECT_EQ(request.flags, 0x140C);
    EXPECT_EQ(request.initialFolder, folder.path().string());
    EXPECT_TRUE(f.messageBox.shown.empty());
    expectBoundTo(path, "  Capitals & Rivers ");
    EXPECT_EQ(f.form.Label1.Caption + "|" + f.form.Label3.Caption + "|" + f.form.Label4.Caption,
              "2024|Ann|Quiz Co");
    EXPECT_EQ(f.form.Data2.RecordSource + f.form.Data4.RecordSource, "UseHScore");
    EXPECT_EQ(f.form.Data3.Connect, ";pwd=tov3ralu");

    f.fileDialog.answers.push_back(std::nullopt);  // cancelled
    f.form.Modu_Click();
    f.open("");  // an empty name stops too
    EXPECT_TRUE(f.messageBox.shown.empty());
    EXPECT_EQ(f.form.New1.FileName, "");
    expectBoundTo(path, "  Capitals & Rivers ");

    // Of two properties rows, the first one stored is the module's.
    const std::string twoRows = good("two.vxm", "First");
    ASSERT_TRUE(testing::alterModule(
        twoRows, {"INSERT INTO Propriete VALUES ('Second', 'B', 'C', '2025')"}));
    f.open(twoRows);
    expectBoundTo(twoRows, "First");
    EXPECT_EQ(f.form.Label1.Caption, "2024");
}

// Files that are no module (empty, noise, text, unencrypted, another key, no or empty or
// untitled properties, a folder, a pipe, a dangling link) and "Dummy.mdb" by name are refused
// with one message, byte for byte untouched; with no module open the window stays idle, and a
// module open before keeps its questions bound and Start offered, the title loses its name.
// Another letter case of Dummy.mdb is judged by its content; a module another program holds
// is in use, and opens once released.
TEST_F(OpeningTest, EveryRefusedFileIsLeftAsItWasAndTheOldModuleStaysBound) {
    f.open(module("bad.vxm", {"", "", "", ""}));
    EXPECT_EQ(f.form.Caption, "Vexlor Player - ");
    EXPECT_FALSE(f.form.Start.Visible);
    EXPECT_EQ(f.form.Panel.Caption, "Press Open to select a Module");
    const std::string before = good();
    f.open(before);
    std::filesystem::create_directory(folder.path() / "sub");
    std::vector<std::pair<std::string, std::string>> refused = {
        {good("sub/Dummy.mdb"), "You can't use this file name"}};
    for (const auto& [name, bytes] :
         std::vector<std::pair<std::string, std::string>>{{"empty.vxm", ""},
                                                          {"noise.vxm", std::string(8192, '\x9d')},
                                                          {"text.vxm", "Q,R\nW,T\n"}}) {
        std::ofstream(folder.file(name), std::ios::binary) << bytes;
        refused.push_back({folder.file(name), "Not a Valid Module"});
    }
    for (const auto& path :
         {module("plain.vxm", {"T", "A", "C", "Y"}, ""),
          module("otherkey.vxm", {"T", "A", "C", "Y"}, "another1"),
          module("emptyproperties.vxm", {}), module("notitle.vxm", {"", "A", "C", "Y"})})
        refused.push_back({path, "Not a Valid Module"});
    std::filesystem::create_directory(folder.file("folder.vxm"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.vxm").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder.file("gone.vxm"), folder.file("link.vxm"));
    for (const char* name : {"folder.vxm", "pipe.vxm", "link.vxm"})
        refused.push_back({folder.file(name), "Not a Valid Module"});
    const std::string noProperties = folder.file("noproperties.vxm");
    ASSERT_TRUE(testing::writeModule(noProperties, {.properties = std::nullopt}));
    refused.push_back({noProperties, "Not a Valid Module"});

    for (const auto& [path, why] : refused) {
        SCOPED_TRACE(path);
        const bool file = std::filesystem::is_regular_file(path);  // a pipe is never read
        const std::string bytes = file ? testing::readBytes(path) : "";
        f.messageBox.shown.clear();
        f.open(path);
        ASSERT_EQ(f.messageBox.shown.size(), 1u);
        EXPECT_EQ(f.lastMessage(), std::filesystem::path(path).filename().string() + "\r" + why);
        EXPECT_EQ(f.messageBox.shown[0].style, 48);
        EXPECT_EQ(f.messageBox.shown[0].title, "Open Vexlor Module");
        EXPECT_EQ(file ? testing::readBytes(path) : "", bytes);
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
        expectBoundTo(before, why == "Not a Valid Module" ? "" : "Capitals");
    }
    // A pipe where a journal would lie is refused at once: nothing waits to read it.
    const std::string piped = good("piped.vxm");
    ASSERT_EQ(::mkfifo((piped + "-journal").c_str(), 0600), 0);
    f.open(piped);
    EXPECT_EQ(f.lastMessage(), "piped.vxm\rNot a Valid Module");
    f.open(good("dummy.mdb", "Lower Case"));
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Lower Case");
    for (const app::DataView* source : {&f.form.Data1, &f.form.Data2, &f.form.Data3, &f.form.Data4})
        EXPECT_EQ(source->DatabaseName, folder.file("dummy.mdb")) << source->name();
    {
        const testing::Connection other = testing::connect(before);
        ASSERT_TRUE(testing::run(other.get(), "BEGIN EXCLUSIVE"));
        f.open(before);
        EXPECT_EQ(f.lastMessage(), "quiz.vxm\rThe module is in use by another program");
    }
    f.open(before);
    expectBoundTo(before, "Capitals");
}

// Damaged copies of a good module (cut short, bytes flipped) never crash and are never
// written; those damaged in their first pages are refused.
TEST_F(OpeningTest, DamagedModulesNeverCrashAndAreNeverWritten) {
    const std::string goodBytes = testing::readBytes(good("good.vxm"));
    ASSERT_GT(goodBytes.size(), 4096u);
    std::vector<std::string> damaged;
    for (std::size_t length :
         {std::size_t{16}, std::size_t{1024}, goodBytes.size() / 2, goodBytes.size() - 1})
        damaged.push_back(goodBytes.substr(0, length));
    for (std::size_t at :
         {std::size_t{0}, std::size_t{20}, std::size_t{1500}, goodBytes.size() - 1}) {
        damaged.push_back(goodBytes);
        damaged.back()[at] = static_cast<char>(damaged.back()[at] ^ 0x5A);
    }
    int refused = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::string path = folder.file("damaged" + std::to_string(i) + ".vxm");
        std::ofstream(path, std::ios::binary) << damaged[i];
        const std::size_t messages = f.messageBox.shown.size();
        f.open(path);
        refused += f.messageBox.shown.size() > messages;
        EXPECT_EQ(testing::readBytes(path), damaged[i]) << i;
    }
    EXPECT_GE(refused, 5);
}

}  // namespace
}  // namespace vexlor::app
