// The game's Open takes a package: it asks for a folder, unpacks the package into a new folder
// there with the module tool, in a child process, and opens its module.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/fakes.h"
#include "support/module_files.h"
#include "vexlor-module/commands.h"

namespace vexlor::app {
namespace {

namespace fs = std::filesystem;

TEST(PackageOpeningTest, APackageIsUnpackedIntoANewFolderAndItsModuleOpened) {
    // Each opening gets a folder of its own in the one chosen; cancelling the folder stops;
    // a package the tool refuses says why and leaves the module open as it was.
    testing::TempFolder folder;
    testing::FormFixture f;
    f.fileSystem.current = folder.path().string();
    f.form.Form_Load();
    const std::string module = folder.file("Capitals.vxm");
    ASSERT_TRUE(testing::writeModule(
        module, {.properties = std::vector<std::string>{"Capitals", "Ann", "Co", "2024"},
                 .questions = testing::sampleQuestions(4)}));
    const std::string zip = folder.file("Capitals.zip");
    std::ostringstream out, err;
    ASSERT_EQ(authoring::runTool({"pack", module, "-o", zip}, out, err), 0) << err.str();
    fs::create_directory(folder.path() / "games");
    const std::string games = folder.file("games");

    for (const char* expected : {"games/Capitals/Capitals.vxm", "games/Capitals 2/Capitals.vxm"}) {
        f.fileDialog.answers = {zip, games};
        f.form.Modu_Click();
        ASSERT_TRUE(f.messageBox.shown.empty()) << f.messageBox.shown.front().text;
        EXPECT_EQ(f.fileDialog.requests.back().title, "Unpack Capitals.zip Into");
        EXPECT_TRUE(f.fileDialog.requests.back().flags & platform::open_flags::kChooseFolder);
        EXPECT_EQ(f.form.New1.FileName, folder.file(expected));
        EXPECT_EQ(f.form.Caption, "Vexlor Player - Capitals");
        EXPECT_EQ(f.form.Data1.DatabaseName, folder.file(expected));
    }

    // Told by its content, as a module is: a package under another name opens as well.
    fs::copy_file(zip, folder.file("Shared quiz"));
    f.fileDialog.answers = {folder.file("Shared quiz"), games};
    f.form.Modu_Click();
    EXPECT_EQ(f.form.Data1.DatabaseName, folder.file("games/Shared quiz/Capitals.vxm"));

    f.fileDialog.answers = {zip, std::nullopt};
    f.form.Modu_Click();
    EXPECT_FALSE(fs::exists(folder.path() / "games" / "Capitals 3"));

    std::ofstream(folder.file("bad.zip")) << "PK\x03\x04 and no more";
    f.fileDialog.answers = {folder.file("bad.zip"), games};
    f.form.Modu_Click();
    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.messageBox.shown[0].text,
              "bad.zip\rThis package could not be opened: is not a package (a zip file): Not a "
              "zip archive");
    EXPECT_EQ(f.form.Data1.DatabaseName, folder.file("games/Shared quiz/Capitals.vxm"));
    EXPECT_FALSE(fs::exists(folder.path() / "games" / "bad"));
}

}  // namespace
}  // namespace vexlor::app
