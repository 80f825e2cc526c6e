// The game opening a module in the earlier Jet format: asked once, converted in its place with
// the original kept, then played with its asked list and top ten; a refusal or a converter that
// fails changes nothing.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "modules/module_converter.h"
#include "support/earlier_modules.h"
#include "support/fakes.h"

namespace vexlor::app {
namespace {

namespace fs = std::filesystem;
namespace jet = testing::jet;

// Three questions, two of them asked already, and a top ten of accented names.
std::vector<jet::Table> quizTables(const std::string& title = "Jet Quiz") {
    jet::Table main{"MainData", jet::moduleColumns("MainData"), {}};
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        main.rows.push_back({{"Où est " + n + " ?", "Ici " + n, "Là " + n + "a", "Là " + n + "b",
                              "Là " + n + "c", "100", std::nullopt}});
    }
    return {main,
            {"Propriete", jet::moduleColumns("Propriete"), {{{title, "Ann", "", "1998"}}}},
            {"Use", jet::moduleColumns("Use"), {{{"1"}}, {{"3"}}}},
            {"HScore",
             jet::moduleColumns("HScore"),
             {{{"José", "Mar/01/1999", "00300"}}, {{"Zoë", "Mar/02/1999", "00900"}}}}};
}

class GameOpensEarlierModule : public ::testing::Test {
  protected:
    // Opens a module of the current format first, as the player had one open.
    void openCurrent(testing::FormFixture& g, app::MasterForm& form) {
        g.fileSystem.current = folder.path().string();
        form.Form_Load();
        ASSERT_TRUE(testing::writeModule(current, {.questions = testing::sampleQuestions(4)}));
        g.fileDialog.answers.push_back(current);
        form.Modu_Click();
        ASSERT_EQ(form.Caption, "Vexlor Player - Test Module");
    }
    std::vector<std::string> entries() { return testing::entries(folder.path()); }

    testing::TempFolder folder;
    std::string current = folder.file("current.vxm"), old = folder.file("old.vxm");
    testing::FormFixture f;
};

// No keeps the module open before and the file as it was; Yes converts it in place, keeps the
// original beside it, and the game plays it: the asked questions stay asked, the top ten ranks
// as before, and a new asked entry goes into the converted module.
TEST_F(GameOpensEarlierModule, ConvertedWhenThePlayerAgreesThenPlayed) {
    openCurrent(f, f.form);
    jet::writeJetFile(old, quizTables());
    const std::string original = testing::readBytes(old);

    f.messageBox.answers = {false};
    f.open(old);
    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    const auto& asked = f.messageBox.shown.back();
    EXPECT_EQ(asked.title, "Open Vexlor Module");
    EXPECT_EQ(asked.style, platform::message_style::kQuestionYesNo);
    EXPECT_EQ(asked.text.substr(0, 8), "old.vxm\r");
    EXPECT_NE(asked.text.find("earlier module format"), std::string::npos);
    EXPECT_NE(asked.text.find("kept as old.vxm.jet"), std::string::npos);
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Test Module");
    EXPECT_EQ(f.form.Data1.DatabaseName, current);
    EXPECT_TRUE(f.form.Start.Visible);
    EXPECT_EQ(testing::readBytes(old), original);
    EXPECT_EQ(entries(), (std::vector<std::string>{"current.vxm", "old.vxm"}));

    f.open(old);  // Yes
    EXPECT_EQ(f.form.Caption, "Vexlor Player - Jet Quiz");
    EXPECT_EQ(testing::readBytes(folder.file("old.vxm.jet")), original);
    EXPECT_NE(f.form.Pan1.Caption.find("Zoë"), std::string::npos) << f.form.Pan1.Caption;
    EXPECT_NE(f.form.Pan2.Caption.find("José"), std::string::npos) << f.form.Pan2.Caption;
    f.form.Start_Click();
    f.timers.advance(3000);
    EXPECT_EQ(f.form.PanelQuestion.Caption, "Où est 2 ?");
    EXPECT_EQ(testing::readColumn(old, "SELECT Use FROM Use ORDER BY rowid"),
              (std::vector<std::string>{"1", "3", "2"}));
}

// A file the game would not take is refused as "Not a Valid Module", as always; a converter that
// crashes, hangs or is missing is told, and the module open before stays open and usable.
TEST_F(GameOpensEarlierModule, RefusalsAndFailuresChangeNothing) {
    testing::TempFolder tools;
    const std::string crashing = tools.file("crashing"), hanging = tools.file("hanging");
    std::ofstream(crashing) << "#!/bin/sh\nkill -SEGV $$\n";
    std::ofstream(hanging) << "#!/bin/sh\nexec sleep 30\n";
    fs::permissions(crashing, fs::perms::owner_all);
    fs::permissions(hanging, fs::perms::owner_all);
    jet::Options otherPassword;
    otherPassword.password = "secret";

    struct Case {
        const char* name;
        std::string tool;
        std::vector<jet::Table> tables;
        jet::Options options;
        const char* message;
    };
    const Case cases[] = {
        {"another password", VEXLOR_MODULE_TOOL, quizTables(), otherPassword,
         "old.vxm\rNot a Valid Module"},
        {"an empty title", VEXLOR_MODULE_TOOL, quizTables(""), {}, "old.vxm\rNot a Valid Module"},
        {"a converter that crashes",
         crashing,
         quizTables(),
         {},
         "old.vxm\rThis module could not be converted: reading it stopped the converter (signal "
         "11): the file is damaged"},
        {"a converter that hangs",
         hanging,
         quizTables(),
         {},
         "old.vxm\rThis module could not be converted: reading it took the converter longer than "
         "1 seconds: the file is damaged"},
        {"no converter",
         "",
         quizTables(),
         {},
         "old.vxm\rThis module could not be converted: the program that converts it "
         "(vexlor-module) is not installed with this one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FormFixture g;
        modules::ChildModuleConverter converter(c.tool, {.time = std::chrono::seconds(1)});
        app::MasterForm form({g.clock, g.random, g.fileDialog, g.messageBox, g.windows, g.fileTypes,
                              g.fileSystem, g.soundPlayer, g.pictureLoader, converter});
        openCurrent(g, form);
        jet::writeJetFile(old, c.tables, c.options);
        const std::string original = testing::readBytes(old);
        g.fileDialog.answers.push_back(old);
        form.Modu_Click();
        ASSERT_FALSE(g.messageBox.shown.empty());
        EXPECT_EQ(g.messageBox.shown.back().text, c.message);
        EXPECT_EQ(g.messageBox.shown.back().style, platform::message_style::kExclamation);
        EXPECT_EQ(testing::readBytes(old), original);
        EXPECT_EQ(entries(), (std::vector<std::string>{"current.vxm", "old.vxm"}));
        EXPECT_TRUE(form.Start.Visible);
        EXPECT_EQ(form.Data1.DatabaseName, current);
        fs::remove(current);
    }
}

// The converter is found beside the program (a prefix install), in ../bin of it (the game among
// the games of a Debian system) or in the build tree; nothing is found where there is none.
TEST(ModuleTool, IsFoundWhereEachLayoutPutsIt) {
    testing::TempFolder root;
    const fs::path prefix = root.path() / "usr", games = prefix / "games", bin = prefix / "bin";
    const fs::path build = root.path() / "build", game = build / "src" / "ui",
                   tool = build / "tools" / "vexlor-module";
    for (const fs::path& folder : {games, bin, game, tool}) fs::create_directories(folder);
    EXPECT_EQ(modules::moduleToolFor(games.string()), "");
    for (const fs::path& folder : {bin, tool}) {
        std::ofstream(folder / "vexlor-module") << "#!/bin/sh\n";
        fs::permissions(folder / "vexlor-module", fs::perms::owner_all);
    }
    EXPECT_EQ(modules::moduleToolFor(games.string()), (bin / "vexlor-module").string());
    EXPECT_EQ(modules::moduleToolFor(bin.string()), (bin / "vexlor-module").string());
    EXPECT_EQ(modules::moduleToolFor(game.string()), (tool / "vexlor-module").string());
}

}  // namespace
}  // namespace vexlor::app
